// The hex text of a field item, both ways, shared by every reader and writer of archive documents
// so they all take and give text by exactly the same rules.
//
// Contract:
// - AppendHex: two upper-case digits per byte, no separators.
// - DecodeHexInto: strips leading and trailing spaces, tabs and line feeds from `text` and decodes
//   it two characters at a time as a "%2X" conversion reads a two-character string (white space
//   skipped, an optional sign, digits of either case); a pair without a digit is skipped, a last
//   single character is decoded alone. Writes at most `capacity` bytes to `out` (only decoded
//   bytes are written) and returns how many were written.
// - DecodeEightHexDigits: the four bytes spelt by the eight characters at `p` when all eight are
//   hexadecimal digits (either case), written to `out`; otherwise false with nothing written.
//   Exactly what DecodeHexInto gives for those eight characters alone.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace qel {

void AppendHex(std::string& out, const BYTE* bytes, std::size_t count);

std::size_t DecodeHexInto(std::string_view text, BYTE* out, std::size_t capacity);
// The same for text that ends at a NUL.
std::size_t DecodeHexInto(const char* text, BYTE* out, std::size_t capacity);

inline bool DecodeEightHexDigits(const char* p, BYTE* out) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHigh = 0x8080808080808080u;
  std::uint64_t chars;
  std::memcpy(&chars, p, sizeof chars);
  if constexpr (std::endian::native == std::endian::big) chars = __builtin_bswap64(chars);
  // The first character now sits in the lowest byte. Bytes with the top bit set are no digits;
  // for the others, bit 7 of c + (0x80 - k) is set exactly when c >= k, with no carry into the
  // next byte.
  if ((chars & kHigh) != 0) return false;
  const auto atLeast = [](std::uint64_t c, unsigned k) {
    return (c + kOnes * (0x80u - k)) & kHigh;
  };
  const std::uint64_t folded = chars | kOnes * 0x20;  // 'A'-'F' to 'a'-'f'; digits keep bit 5
  const std::uint64_t digit = atLeast(chars, '0') & ~atLeast(chars, '9' + 1);
  const std::uint64_t letter = atLeast(folded, 'a') & ~atLeast(folded, 'f' + 1);
  if ((digit | letter) != kHigh) return false;
  // A digit's value is its low four bits; a letter's is those plus 9.
  const std::uint64_t nibbles = (chars & kOnes * 0x0F) + (letter >> 7) * 9;
  // Byte 2j takes its own nibble high and byte 2j+1's low; the odd bytes are then squeezed out.
  std::uint64_t pairs = ((nibbles << 4) | (nibbles >> 8)) & 0x00FF00FF00FF00FFu;
  pairs = (pairs | (pairs >> 8)) & 0x0000FFFF0000FFFFu;
  pairs = pairs | (pairs >> 16);
  out[0] = static_cast<BYTE>(pairs);
  out[1] = static_cast<BYTE>(pairs >> 8);
  out[2] = static_cast<BYTE>(pairs >> 16);
  out[3] = static_cast<BYTE>(pairs >> 24);
  return true;
}

}  // namespace qel
