// SMDF: the model's master data record (9304 bytes), and the records nested in it.
//
// The layout is a binary contract with the suite's programs, which read and write the fields
// directly. Every field, its offset and its type come from smdf_fields.def; this header only
// expands that table into structs (record_tables.cpp proves each offset with a static_assert).
//
// Nested records: JoistCriteria (DefLoad/AltLoad are JoistLoadCriteria, each a UniLoad and a
// NonuniLoad; Girder; AllowableRatio), MemberDisplayOptions, ModRatioParams, ReportFont (a
// LOGFONTA and a colour), ComboParams, CanMaterialSelection and HangerTrialGroup. Padding
// between fields belongs to no field and is never archived.
#pragma once

#include "mdf/archive_map.h"
#include "mdf/record_desc.h"

#define QEL_MDF_FIELDS "mdf/smdf_fields.def"
#include "mdf/record_fields.h"

// Puts one item into `map` for every field of `mdf`: a field item holding the field's bytes for
// a value or an array of values, a struct item whose children are built the same way for a
// nested record, and the struct items "arHangerTrialGroups[0]" to "[2]" for the hanger groups.
// An existing item of the same name is replaced.
void MapSMDF(const SMDF& mdf, ArchiverDataMap& map);

// Fills `mdf` from `map` by name; `mdf` is expected to hold defaults already. A field whose name
// the map lacks keeps its value; a stored field item copies min(stored bytes, field width) bytes
// into the field's start. A nested record is read only from a struct item: a field item under a
// nested record's name is passed over. Older archives stored cmbprmConcrete, cmbprmSoil,
// cmbprmSteelStand and cmbprmSteelSpecial as 76-byte field items: when cmbprmConcrete is a field
// item, each of those four field items is taken as a ComboParams image (missing bytes zero) and
// replaces its block first.
void UnMapSMDF(const ArchiverDataMap& map, SMDF& mdf);

namespace qel {

// The combination blocks that older archives held as 76-byte images, in the order UnMapSMDF
// applies them; the first one's form tells which form an archive uses.
inline constexpr const char* kImageComboBlocks[] = {"cmbprmConcrete", "cmbprmSoil",
                                                    "cmbprmSteelStand", "cmbprmSteelSpecial"};

// The descriptor table of SMDF (nested records reachable through it), read by map and unmap.
const RecordDesc& SmdfLayout();

// The one map and the one unmap loop over a descriptor table, for any record laid out by a
// field table. `record` points at the first byte of a record of `layout.size` bytes.
void MapRecord(const RecordDesc& layout, const void* record, ArchiverDataMap& map);
void UnMapRecord(const RecordDesc& layout, const ArchiverDataMap& map, void* record);

}  // namespace qel
