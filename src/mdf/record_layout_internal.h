// The expansions of a record field table that only the library's own sources need (see
// record_fields.h for how a table is expanded):
//   ASSERT  one static_assert per field offset and per record size;
//   TABLE   the descriptor tables of record_desc.h, in namespace qel (only in the .cpp that owns
//           them), each with its fields in archive-name order for the unmap walk.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <type_traits>

#include "mdf/record_desc.h"

namespace qel {

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
  {#name, offsetof(::rec, name), sizeof(::rec::name), false, FieldKind::k_##type, nullptr, 0},
#define QEL_MDF_TABLE_ARRAY(rec, off, name, type, n) \
  {#name, offsetof(::rec, name), sizeof(::rec::name), true, FieldKind::k_##type, nullptr, 0},
#define QEL_MDF_TABLE_RECORD(rec, off, name, type) \
  {#name, offsetof(::rec, name), sizeof(::type), false, FieldKind::kRecord, &kRecord_##type, 0},
#define QEL_MDF_TABLE_RECORD_ARRAY(rec, off, name, type, n) \
  {#name, offsetof(::rec, name), sizeof(::type), false, FieldKind::kRecord, &kRecord_##type, n},
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
