// The machinery that turns a record field table (smdf_fields.def, mdf_v1_fields.def) into code.
//
// A table is a list of QEL_MDF_* rows. What a row expands to depends on QEL_MDF_MODE, which the
// includer defines before including the table:
//   DECLARE  the plain structs, members in table order;
//   ASSERT   one static_assert per field offset and per record size;
//   TABLE    the descriptors of namespace qel below (only in the .cpp that owns them).
// Each table type token (i32, BOOL, f32, f64, u8, char, COLORREF, LOGFONTA) maps to the
// fixed-width type qel::mdf_type::t_<token>, so a record's layout never depends on the data model.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <type_traits>

#include "platform/win_types.h"

namespace qel {

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

struct RecordDesc;

// One row of a field table. A leaf field has no `record`; a nested record has one, and `count`
// nested copies when it is an array of records (0 for a single nested record).
struct FieldDesc {
  const char* name;
  std::uint32_t offset;
  std::uint32_t size;  // width of the field; for a record array, of one element
  bool array;          // a leaf that is an array of values
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

// Byte-wise order of two field names as the archive map orders them. A record array's elements
// are named "name[i]", so it compares as if its name ended with '['.
constexpr bool NameLess(const FieldDesc& a, const FieldDesc& b) {
  for (std::size_t i = 0;; ++i) {
    unsigned ca = static_cast<unsigned char>(a.name[i]);
    unsigned cb = static_cast<unsigned char>(b.name[i]);
    if (ca == 0 && a.count != 0) ca = '[';
    if (cb == 0 && b.count != 0) cb = '[';
    if (ca != cb) return ca < cb;
    if (ca == 0 || ca == '[') return false;
  }
}

template <std::size_t N>
constexpr std::array<std::uint16_t, N> OrderByName(const FieldDesc (&fields)[N]) {
  static_assert(N < 65536);
  std::array<std::uint16_t, N> order{};
  for (std::size_t i = 0; i < N; ++i) order[i] = static_cast<std::uint16_t>(i);
  std::sort(order.begin(), order.end(),
            [&](std::uint16_t x, std::uint16_t y) { return NameLess(fields[x], fields[y]); });
  return order;
}

template <std::size_t N>
constexpr std::array<FieldDesc, N> SortByName(const FieldDesc (&fields)[N],
                                              const std::array<std::uint16_t, N>& order) {
  std::array<FieldDesc, N> sorted{};
  for (std::size_t i = 0; i < N; ++i) sorted[i] = fields[order[i]];
  return sorted;
}

}  // namespace qel

#define QEL_MDF_CAT_(a, b, c) a##b##c
#define QEL_MDF_CAT(a, b, c) QEL_MDF_CAT_(a, b, c)
#define QEL_MDF_BEGIN(...) QEL_MDF_CAT(QEL_MDF_, QEL_MDF_MODE, _BEGIN)(__VA_ARGS__)
#define QEL_MDF_FIELD(...) QEL_MDF_CAT(QEL_MDF_, QEL_MDF_MODE, _FIELD)(__VA_ARGS__)
#define QEL_MDF_ARRAY(...) QEL_MDF_CAT(QEL_MDF_, QEL_MDF_MODE, _ARRAY)(__VA_ARGS__)
#define QEL_MDF_RECORD(...) QEL_MDF_CAT(QEL_MDF_, QEL_MDF_MODE, _RECORD)(__VA_ARGS__)
#define QEL_MDF_RECORD_ARRAY(...) QEL_MDF_CAT(QEL_MDF_, QEL_MDF_MODE, _RECORD_ARRAY)(__VA_ARGS__)
#define QEL_MDF_END(...) QEL_MDF_CAT(QEL_MDF_, QEL_MDF_MODE, _END)(__VA_ARGS__)

// DECLARE. Nested record types are written with a leading :: because a member may carry the
// name of its own type (SMDF::JoistCriteria is a ::JoistCriteria).
#define QEL_MDF_DECLARE_BEGIN(rec, bytes) struct rec {
#define QEL_MDF_DECLARE_FIELD(rec, off, name, type) ::qel::mdf_type::t_##type name;
#define QEL_MDF_DECLARE_ARRAY(rec, off, name, type, n) ::qel::mdf_type::t_##type name[n];
#define QEL_MDF_DECLARE_RECORD(rec, off, name, type) ::type name;
#define QEL_MDF_DECLARE_RECORD_ARRAY(rec, off, name, type, n) ::type name[n];
#define QEL_MDF_DECLARE_END(rec, bytes) \
  }                                     \
  ;

// ASSERT.
#define QEL_MDF_ASSERT_BEGIN(rec, bytes)
#define QEL_MDF_ASSERT_FIELD(rec, off, name, ...) \
  static_assert(offsetof(rec, name) == (off), #rec "::" #name " is not at offset " #off);
#define QEL_MDF_ASSERT_ARRAY QEL_MDF_ASSERT_FIELD
#define QEL_MDF_ASSERT_RECORD QEL_MDF_ASSERT_FIELD
#define QEL_MDF_ASSERT_RECORD_ARRAY(rec, off, name, type, n) \
  QEL_MDF_ASSERT_FIELD(rec, off, name)                       \
  static_assert((n) <= 10, "element names must sort in index order");
#define QEL_MDF_ASSERT_END(rec, bytes)                                               \
  static_assert(sizeof(rec) == (bytes), #rec " is not " #bytes " bytes");            \
  static_assert(std::is_standard_layout_v<rec> && std::is_trivially_copyable_v<rec>, \
                #rec " must stay a plain record");

// TABLE: kFields_<rec>[] and kRecord_<rec>, in namespace qel.
#define QEL_MDF_TABLE_BEGIN(rec, bytes) constexpr FieldDesc kFields_##rec[] = {
#define QEL_MDF_TABLE_FIELD(rec, off, name, type) \
  {#name, offsetof(::rec, name), sizeof(::rec::name), false, nullptr, 0},
#define QEL_MDF_TABLE_ARRAY(rec, off, name, type, n) \
  {#name, offsetof(::rec, name), sizeof(::rec::name), true, nullptr, 0},
#define QEL_MDF_TABLE_RECORD(rec, off, name, type) \
  {#name, offsetof(::rec, name), sizeof(::type), false, &kRecord_##type, 0},
#define QEL_MDF_TABLE_RECORD_ARRAY(rec, off, name, type, n) \
  {#name, offsetof(::rec, name), sizeof(::type), false, &kRecord_##type, n},
#define QEL_MDF_TABLE_END(rec, bytes)                                                      \
  }                                                                                        \
  ;                                                                                        \
  constexpr auto kOrder_##rec = OrderByName(kFields_##rec);                                \
  constexpr auto kByName_##rec = SortByName(kFields_##rec, kOrder_##rec);                  \
  constexpr RecordDesc kRecord_##rec{#rec,                                                 \
                                     sizeof(::rec),                                        \
                                     kFields_##rec,                                        \
                                     static_cast<std::uint32_t>(std::size(kFields_##rec)), \
                                     kOrder_##rec.data(),                                  \
                                     kByName_##rec.data()};
