// The descriptor tables of SMDF and MasterDataV1, built at compile time from their field tables,
// with a static_assert on every field offset and record size.
#include "mdf/mdf_v1.h"
#include "mdf/record_layout_internal.h"
#include "mdf/smdf.h"

#define QEL_MDF_MODE ASSERT
#define QEL_MDF_FIELDS "mdf/smdf_fields.def"
#include "mdf/record_fields.h"
#define QEL_MDF_FIELDS "mdf/mdf_v1_fields.def"
#include "mdf/record_fields.h"
#undef QEL_MDF_MODE

namespace qel {
namespace {

#define QEL_MDF_MODE TABLE
#define QEL_MDF_FIELDS "mdf/smdf_fields.def"
#include "mdf/record_fields.h"
// The old layout reuses descriptors of the nested records above.
#define QEL_MDF_FIELDS "mdf/mdf_v1_fields.def"
#include "mdf/record_fields.h"
#undef QEL_MDF_MODE

}  // namespace

const RecordDesc& SmdfLayout() { return kRecord_SMDF; }
const RecordDesc& MasterDataV1Layout() { return kRecord_MasterDataV1; }

}  // namespace qel
