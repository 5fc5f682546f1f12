// Fields of a record laid out by a field table (mdf/record_desc.h) as JSON values: what
// `qeldb mdf --field/--json` prints and what the Python module's Model.mdf returns.
//   integers and flags: numbers; floats: their shortest decimal; characters: text up to the first
//   NUL; an array of values: an array; a font: an object of its members; a nested record: an
//   object of its fields under their archive names, in the archive's order (an array of records
//   gives one entry per element, "name[i]").
#pragma once

#include "mdf/record_desc.h"
#include "model_tables.h"

namespace qeldb {

// The value of `field`, whose bytes start at `p`.
Json FieldValue(const qel::FieldDesc& field, const unsigned char* p);
// Every field of a record of `record`'s layout starting at `base`.
Json RecordValue(const qel::RecordDesc& record, const unsigned char* base);

}  // namespace qeldb
