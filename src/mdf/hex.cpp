// Hex text of field items: the writer's digits and the readers' decoder (see hex_internal.h).
#include "mdf/hex_internal.h"

namespace qel {

namespace {

// The two digits of every byte value.
struct HexPairs {
  char text[256][2] = {};
  constexpr HexPairs() {
    constexpr char kDigits[] = "0123456789ABCDEF";
    for (int b = 0; b < 256; ++b) {
      text[b][0] = kDigits[b >> 4];
      text[b][1] = kDigits[b & 0xF];
    }
  }
};
constexpr HexPairs kHexPairs;

}  // namespace

void AppendHex(std::string& out, const BYTE* bytes, std::size_t count) {
  const std::size_t at = out.size();
  out.resize(at + 2 * count);
  char* p = out.data() + at;
  for (std::size_t i = 0; i < count; ++i, p += 2) std::memcpy(p, kHexPairs.text[bytes[i]], 2);
}

}  // namespace qel

namespace {

// One hexadecimal pair read the way a C "%2X" conversion reads a two-character string: leading
// white space skipped, an optional sign, then up to the width's worth of hex digits. False when
// no digit is found.
bool ScanHexPair(const char* p, std::size_t n, BYTE& out) {
  std::size_t i = 0;
  while (i < n && (p[i] == ' ' || (p[i] >= '\t' && p[i] <= '\r'))) ++i;
  const std::size_t end = i + 2 < n ? i + 2 : n;
  bool negative = false;
  if (i < end && (p[i] == '+' || p[i] == '-')) {
    negative = p[i] == '-';
    ++i;
  }
  unsigned value = 0;
  bool any = false;
  for (; i < end; ++i) {
    const char c = p[i];
    unsigned digit;
    if (c >= '0' && c <= '9')
      digit = static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'f')
      digit = static_cast<unsigned>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F')
      digit = static_cast<unsigned>(c - 'A' + 10);
    else
      break;
    value = value * 16 + digit;
    any = true;
  }
  if (!any) return false;
  out = static_cast<BYTE>(negative ? 0u - value : value);
  return true;
}

bool IsStripped(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Value of a hex digit, or 0xFF for any other character.
struct HexTable {
  BYTE value[256];
  constexpr HexTable() : value() {
    for (int c = 0; c < 256; ++c) value[c] = 0xFF;
    for (int c = 0; c < 10; ++c) value['0' + c] = static_cast<BYTE>(c);
    for (int c = 0; c < 6; ++c) {
      value['a' + c] = static_cast<BYTE>(10 + c);
      value['A' + c] = static_cast<BYTE>(10 + c);
    }
  }
};
constexpr HexTable kHex;

// Decodes hex pairs of `text` (already stripped) in order, handing each decoded byte to `emit`
// until it returns false. Returns nothing; the sink counts.
template <class Emit>
void DecodeHexPairs(std::string_view text, Emit emit) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; i += 2) {
    const BYTE hi = kHex.value[p[i]];
    const BYTE lo = i + 1 < n ? kHex.value[p[i + 1]] : 0xFF;
    BYTE b = static_cast<BYTE>(hi << 4 | lo);
    if ((hi | lo) >= 16 && !ScanHexPair(text.data() + i, n - i < 2 ? n - i : 2, b))
      continue;  // anything but two plain digits takes the general path; no digit, no byte
    if (!emit(b)) return;
  }
}

// Decodes `text` (leading white space already stripped, trailing white space still there) from
// `at`, after the caller has taken the pairs before it: runs of plain digit pairs, the whole of a
// well-formed field, go through the first loop; the first pair that is anything else hands the
// rest, without its trailing white space, to the general decoder.
template <class Text>
std::size_t DecodeStrippedFront(Text text, BYTE* out, std::size_t capacity) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data);
  std::size_t count = 0, i = 0;
  if constexpr (Text::kKnownLength) {
    // Eight digits to four bytes at a time: a field's text is nearly always all digits.
    for (; count + 4 <= capacity && text.Has(i + 7); i += 8, count += 4) {
      if (!qel::DecodeEightHexDigits(text.data + i, out + count)) break;  // the pairs take it
    }
  }
  for (; count < capacity && text.Has(i + 1); i += 2) {
    const BYTE hi = kHex.value[p[i]];
    const BYTE lo = kHex.value[p[i + 1]];
    if ((hi | lo) >= 16) break;
    out[count++] = static_cast<BYTE>(hi << 4 | lo);
  }
  if (count == capacity) return count;
  // A plain pair holds no white space, so the pairs taken all lie before the trailing part.
  std::string_view rest = text.From(i);
  while (!rest.empty() && IsStripped(rest.back())) rest.remove_suffix(1);
  DecodeHexPairs(rest, [&](BYTE b) {
    out[count++] = b;
    return count < capacity;
  });
  return count;
}

struct SizedText {
  static constexpr bool kKnownLength = true;
  const char* data;
  std::size_t size;
  bool Has(std::size_t i) const { return i < size; }
  std::string_view From(std::size_t i) const { return {data + i, size - i}; }
};

// NUL-terminated: the end is found only if the plain pairs stop before it. A NUL is no hex digit,
// so the first loop stops there.
struct CText {
  static constexpr bool kKnownLength = false;  // nothing may be read past the NUL
  const char* data;
  bool Has(std::size_t i) const {
    return data[i - 1] != '\0' && data[i] != '\0';  // i >= 1: the pair (i-1, i)
  }
  std::string_view From(std::size_t i) const { return data + i; }
};

}  // namespace

std::size_t qel::DecodeHexInto(std::string_view text, BYTE* out, std::size_t capacity) {
  while (!text.empty() && IsStripped(text.front())) text.remove_prefix(1);
  return DecodeStrippedFront(SizedText{text.data(), text.size()}, out, capacity);
}

std::size_t qel::DecodeHexInto(const char* text, BYTE* out, std::size_t capacity) {
  while (IsStripped(*text)) ++text;
  return DecodeStrippedFront(CText{text}, out, capacity);
}
