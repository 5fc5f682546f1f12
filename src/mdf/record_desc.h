// Reflection of records laid out by a field table (smdf_fields.def, mdf_v1_fields.def): every
// field's archive name, offset, width and kind, and FindField, the one rule that turns an archive
// path such as "JoistCriteria.DefLoad.UniLoad.Type" or "arHangerTrialGroups[2].bEnabled" into a
// field of the record. The descriptor tables themselves are built from the field tables
// (SmdfLayout() in smdf.h, MasterDataV1Layout() in mdf_v1.h); map, unmap, the command-line tool
// and language bindings all read records through them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace qel {

// The fixed-width type behind each type token of a field table, so a record's layout never
// depends on the data model.
namespace mdf_type {
using t_i32 = std::int32_t;
using t_BOOL = BOOL;
using t_f32 = float;
using t_f64 = double;
using t_u8 = BYTE;
using t_char = char;
using t_COLORREF = COLORREF;
using t_LOGFONTA = LOGFONTA;
static_assert(sizeof(t_i32) == 4 && sizeof(t_BOOL) == 4 && sizeof(t_f32) == 4 &&
              sizeof(t_f64) == 8 && sizeof(t_COLORREF) == 4 && sizeof(t_LOGFONTA) == 60);
}  // namespace mdf_type

// What one element of a field holds: the type token of its table row, or a nested record.
enum class FieldKind : std::uint8_t {
  k_i32,
  k_BOOL,
  k_f32,
  k_f64,
  k_u8,
  k_char,
  k_COLORREF,
  k_LOGFONTA,
  kRecord,
};

// Width of one element of `kind` (0 for kRecord, whose width is the nested record's).
constexpr std::uint32_t ElementSize(FieldKind kind) {
  switch (kind) {
    case FieldKind::k_f64:
      return 8;
    case FieldKind::k_u8:
    case FieldKind::k_char:
      return 1;
    case FieldKind::k_LOGFONTA:
      return sizeof(LOGFONTA);
    case FieldKind::kRecord:
      return 0;
    default:
      return 4;
  }
}

struct RecordDesc;

// One row of a field table. A leaf field has no `record`; a nested record has one, and `count`
// nested copies when it is an array of records (0 for a single nested record).
struct FieldDesc {
  const char* name;
  std::uint32_t offset;
  std::uint32_t size;  // width of the field; for a record array, of one element
  bool array;          // a leaf that is an array of values (size / ElementSize(kind) of them)
  FieldKind kind;
  const RecordDesc* record;
  std::uint32_t count;
};

struct RecordDesc {
  const char* name;
  std::uint32_t size;
  const FieldDesc* fields;
  std::uint32_t field_count;
  // Indices into `fields` in the archive map's order of their names (byte-wise; a record array
  // sorts as its element names "name[0]", "name[1]" ... do), so unmap can walk a map and a
  // table side by side instead of looking every name up.
  const std::uint16_t* by_name;
  // The same descriptors, copied into that order: the unmap walk reads them one after the other.
  const FieldDesc* fields_by_name;
};

// A field found by its archive path: the descriptor and where the field starts, counted from the
// start of the record the path was resolved in. `element` is the index within a record array for
// a path ending in "name[i]" (the descriptor is then the array's), and -1 otherwise.
struct FieldRef {
  const FieldDesc* field = nullptr;
  std::uint32_t offset = 0;
  int element = -1;
  explicit operator bool() const { return field != nullptr; }
  // The width at `offset`: one element of a record array, else the field's width.
  std::uint32_t Size() const { return field ? field->size : 0; }
  // The nested record at `offset`, or null for a value field.
  const RecordDesc* Record() const { return field ? field->record : nullptr; }
};

// The archive name of element `index` of a record array: "name[index]", the index in decimal.
// Table names are short identifiers, so the buffer always holds the whole name.
struct ElementName {
  char text[96];
  const char* Format(const char* name, std::uint32_t index);
};

// Resolves `path`, archive names joined by '.': each part names a field of the record reached so
// far, or "name[i]" an element of a record array; every part but the last must name a record.
// An empty result when no field has that path (including a bare record-array name, an index out
// of range or written otherwise than the archive writes it, e.g. "name[01]").
FieldRef FindField(const RecordDesc& layout, std::string_view path);

// Writes `text` into the field `ref` of `record` (a record of the layout `ref` was found in):
//   an integer field (i32, BOOL, u8, COLORREF): a decimal integer within the field's range;
//   a floating field (f32, f64): a decimal number, finite and within the field's range;
//   an array of such values: exactly as many of them as it holds, separated by commas;
//   a character array: the text itself, at most the field's width less one (the terminating
//   NUL), the rest of the field zeroed.
// Blanks around a number are allowed. False, with `error` saying why and the record untouched,
// when the text does not fit the field; nested records and fonts are not set from text.
bool SetFieldText(const FieldRef& ref, void* record, std::string_view text, std::string& error);

}  // namespace qel
