// The fields this library interprets in the records it reads field by field, from one table
// (record_fields.def) read twice here: as compile-time checks that every listed member sits at
// its offset with its width, and as kRecordFields, the list the language bindings build typed
// record views from. A record not listed is carried as opaque bytes by such views.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "dbio/deck_records.h"
#include "dbio/deflection_criteria.h"
#include "dbio/load_records.h"
#include "dbio/member_records.h"
#include "dbio/story_records.h"

namespace qel {

enum class RecordFieldType : std::uint8_t { u8, i32, u32, f32, f64, text };

constexpr std::uint32_t RecordFieldTypeSize(RecordFieldType type) {
  switch (type) {
    case RecordFieldType::u8:
    case RecordFieldType::text:
      return 1;
    case RecordFieldType::f64:
      return 8;
    default:
      return 4;
  }
}

struct RecordField {
  const char* record;  // the struct's name, as the record catalogue names the table's records
  const char* name;    // the member's name
  RecordFieldType type;
  std::uint32_t offset;
  std::uint32_t count;  // elements: 1 for a single value, the length of an array or text
};

inline constexpr RecordField kRecordFields[] = {
#define QEL_RECORD_FIELD(rec, member, type, off, n) \
  {#rec, #member, RecordFieldType::type, (off), (n)},
#define QEL_RECORD_FILE_FIELD(rec, member, type, off, n, memoryOff) \
  QEL_RECORD_FIELD(rec, member, type, off, n)
#include "dbio/record_fields.def"
#undef QEL_RECORD_FILE_FIELD
#undef QEL_RECORD_FIELD
};

// The listed fields of records named `record`, in the table's order (ascending offsets).
inline std::span<const RecordField> RecordFields(std::string_view record) {
  std::size_t first = 0;
  while (first < std::size(kRecordFields) && record != kRecordFields[first].record) ++first;
  std::size_t last = first;
  while (last < std::size(kRecordFields) && record == kRecordFields[last].record) ++last;
  return {kRecordFields + first, last - first};
}

// Each record's fields are listed together, in offset order, without overlapping: RecordFields can
// then hand out one slice, and a typed view lays them out in order.
constexpr bool RecordFieldsInOrder() {
  for (std::size_t i = 1; i < std::size(kRecordFields); ++i) {
    const RecordField& a = kRecordFields[i - 1];
    const RecordField& b = kRecordFields[i];
    if (std::string_view(a.record) == b.record) {
      if (b.offset < a.offset + RecordFieldTypeSize(a.type) * a.count) return false;
      continue;
    }
    for (std::size_t k = 0; k < i; ++k)
      if (std::string_view(kRecordFields[k].record) == b.record) return false;
  }
  return true;
}
static_assert(RecordFieldsInOrder());

}  // namespace qel

// The width check names the member through a pointer so that a nested member ("Ratio.dNet") works.
#define QEL_RECORD_FIELD_AT(rec, member, type, off, n)                                        \
  static_assert(offsetof(rec, member) == (off), #rec "::" #member " is not at offset " #off); \
  static_assert(sizeof(static_cast<rec*>(nullptr)->member) ==                                 \
                    qel::RecordFieldTypeSize(qel::RecordFieldType::type) * (n),               \
                #rec "::" #member " is not " #n " " #type);
#define QEL_RECORD_FIELD(rec, member, type, off, n) QEL_RECORD_FIELD_AT(rec, member, type, off, n)
#define QEL_RECORD_FILE_FIELD(rec, member, type, off, n, memoryOff) \
  QEL_RECORD_FIELD_AT(rec, member, type, memoryOff, n)
#include "dbio/record_fields.def"
#undef QEL_RECORD_FILE_FIELD
#undef QEL_RECORD_FIELD
#undef QEL_RECORD_FIELD_AT
