// The descriptor tables of SMDF and MasterDataV1, built at compile time from their field tables.
#include "mdf/mdf_v1.h"
#include "mdf/smdf.h"

namespace qel {
namespace {

#define QEL_MDF_MODE TABLE
#include "mdf/smdf_fields.def"
// The old layout reuses descriptors of the nested records above.
#include "mdf/mdf_v1_fields.def"
#undef QEL_MDF_MODE

}  // namespace

const RecordDesc& SmdfLayout() { return kRecord_SMDF; }
const RecordDesc& MasterDataV1Layout() { return kRecord_MasterDataV1; }

}  // namespace qel
