// MasterDataV1: the 6152-byte master data record of older binary model files.
//
// The library only reads this form: an image is mapped by field name into an archive map, and
// that map is unmapped into an SMDF that already holds the new-model defaults. Fields are matched
// by name, so a field moved between the layouts is carried over, a field only this layout has
// is dropped, and a narrower old field fills the first bytes of the current one. The layout
// comes from mdf_v1_fields.def; JoistCriteria, MemberDisplayOptions, ReportFont and
// CanMaterialSelection are shared with SMDF, ModRatioParamsV1 and ComboParamsV1 are its own.
#pragma once

#include "mdf/smdf.h"

#define QEL_MDF_FIELDS "mdf/mdf_v1_fields.def"
#include "mdf/record_fields.h"

// Puts one item into `map` for every field of `v1`, exactly as MapSMDF does for SMDF (nested
// records as struct items). Unmap the result with UnMapSMDF into a defaulted SMDF.
void MapMasterDataV1(const MasterDataV1& v1, ArchiverDataMap& map);

namespace qel {
// The descriptor table of MasterDataV1, read by its map operation.
const RecordDesc& MasterDataV1Layout();
}  // namespace qel
