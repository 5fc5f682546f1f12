// SMDF: the model's master data record (9304 bytes), and the records nested in it.
//
// The layout is a binary contract with the suite's programs, which read and write the fields
// directly. Every field, its offset and its type come from smdf_fields.def; this header only
// expands that table into structs and proves each offset with a static_assert.
//
// Nested records: JoistCriteria (DefLoad/AltLoad are JoistLoadCriteria, each a UniLoad and a
// NonuniLoad; Girder; AllowableRatio), MemberDisplayOptions, ModRatioParams, ReportFont (a
// LOGFONTA and a colour), ComboParams, CanMaterialSelection and HangerTrialGroup. Padding
// between fields belongs to no field and is never archived.
#pragma once

#include "mdf/record_layout.h"

#define QEL_MDF_MODE DECLARE
#include "mdf/smdf_fields.def"
#undef QEL_MDF_MODE

#define QEL_MDF_MODE ASSERT
#include "mdf/smdf_fields.def"
#undef QEL_MDF_MODE

namespace qel {
// The descriptor table of SMDF (nested records reachable through it), read by map and unmap.
const RecordDesc& SmdfLayout();
}  // namespace qel
