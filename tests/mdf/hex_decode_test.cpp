// A field item's hex text: qel::DecodeEightHexDigits and both forms of qel::DecodeHexInto (text
// with a length, decoded several digits at a time, and NUL-ended text, decoded pair by pair)
// against the rule written out here independently: strip blanks, tabs and line feeds at both ends,
// then read each two-character window as a "%2X" conversion does (white space skipped, optional
// sign, hex digits of either case up to the window's end); a window without a digit gives no byte.
#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>
#include <vector>

#include "mdf/hex_internal.h"

namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::vector<BYTE> Reference(std::string text, std::size_t capacity) {
  const auto stripped = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
  while (!text.empty() && stripped(text.front())) text.erase(text.begin());
  while (!text.empty() && stripped(text.back())) text.pop_back();
  std::vector<BYTE> out;
  for (std::size_t at = 0; at < text.size() && out.size() < capacity; at += 2) {
    const std::string window = text.substr(at, 2);
    std::size_t i = 0;
    while (i < window.size() && (window[i] == ' ' || (window[i] >= '\t' && window[i] <= '\r'))) ++i;
    const std::size_t end = i + 2 < window.size() ? i + 2 : window.size();
    bool negative = false;
    if (i < end && (window[i] == '+' || window[i] == '-')) negative = window[i++] == '-';
    unsigned value = 0;
    bool any = false;
    for (; i < end && DigitValue(window[i]) >= 0; ++i, any = true)
      value = value * 16 + static_cast<unsigned>(DigitValue(window[i]));
    if (any) out.push_back(static_cast<BYTE>(negative ? 0u - value : value));
  }
  return out;
}

// Both forms of the decoder over `text`, checked against each other; the sized form is returned.
std::vector<BYTE> Decode(const std::string& text, std::size_t capacity) {
  std::vector<BYTE> sized(capacity + 8, 0xEE), ended(capacity + 8, 0xEE);
  const std::size_t n = qel::DecodeHexInto(std::string_view(text), sized.data(), capacity);
  const std::size_t m = qel::DecodeHexInto(text.c_str(), ended.data(), capacity);
  EXPECT_EQ(n, m) << text;
  EXPECT_EQ(sized, ended) << text;  // also: nothing written past what was decoded
  for (std::size_t i = n; i < sized.size(); ++i) EXPECT_EQ(sized[i], 0xEE) << text;
  sized.resize(n);
  return sized;
}

using Bytes = std::vector<BYTE>;

TEST(HexDecode, DigitsCaseAndTheEdgesOfTheDigitRanges) {
  EXPECT_EQ(Decode("0123456789abcdefABCDEF09", 12),
            (Bytes{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0xAB, 0xCD, 0xEF, 0x09}));
  // The characters just outside each digit range are no digits, wherever they sit among eight.
  for (const char outside : {'/', ':', '@', 'G', '`', 'g', '\x7F'}) {
    std::string text = "12345678";
    for (std::size_t at = 0; at < text.size(); ++at) {
      std::string t = text;
      t[at] = outside;
      EXPECT_EQ(Decode(t, 4), Reference(t, 4)) << t;
      EXPECT_EQ(Decode(t, 4).size(), at % 2 == 0 ? 3u : 4u) << t;  // "x2" skipped, "1x" reads 1
    }
  }
  // A byte with the top bit set is no digit, even when its low seven bits spell one.
  EXPECT_EQ(Decode("12\xB0\xC1"
                   "5678",
                   4),
            (Bytes{0x12, 0x56, 0x78}));
  EXPECT_EQ(Decode("0123456G89", 5), (Bytes{0x01, 0x23, 0x45, 0x06, 0x89}));
  EXPECT_EQ(Decode("12:34", 4), (Bytes{0x12, 0x04}));
}

TEST(HexDecode, LengthCapacityWhiteSpaceAndSigns) {
  // Odd length: the last character alone.
  EXPECT_EQ(Decode("123456789", 8), (Bytes{0x12, 0x34, 0x56, 0x78, 0x09}));
  // The capacity stops decoding, also in the middle of a run of eight digits.
  EXPECT_EQ(Decode("0102030405060708", 3), (Bytes{0x01, 0x02, 0x03}));
  EXPECT_EQ(Decode("0102030405060708", 5), (Bytes{0x01, 0x02, 0x03, 0x04, 0x05}));
  EXPECT_EQ(Decode("0102", 0), Bytes{});
  // Only blanks, tabs and line feeds are stripped at the ends; a carriage return is read in its
  // window, where it is skipped as a "%2X" conversion skips white space.
  EXPECT_EQ(Decode("\n\t\t 0A0B0C0D\n\t", 4), (Bytes{0x0A, 0x0B, 0x0C, 0x0D}));
  EXPECT_EQ(Decode("\r1\r2", 4), (Bytes{0x01, 0x02}));
  EXPECT_EQ(Decode("0A 0B", 4), (Bytes{0x0A, 0x00, 0x0B}));  // " 0" is a window too
  EXPECT_EQ(Decode("-1+2", 4), (Bytes{0xFF, 0x02}));
  EXPECT_EQ(Decode("", 4), Bytes{});
  EXPECT_EQ(Decode(" \t\n", 4), Bytes{});
}

TEST(HexDecode, RandomTextsFollowTheRule) {
  std::mt19937 rng(20261205);
  const std::string alphabet = "0123456789abcdefABCDEF0123456789ABCDEF/:@G`g \t\n\r+-\x80\xC6";
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    const std::size_t length = rng() % 40;
    // Mostly digits, so that long runs reach the several-at-a-time steps.
    const std::size_t pool = round % 3 == 0 ? alphabet.size() : 22;
    for (std::size_t i = 0; i < length; ++i) text += alphabet[rng() % pool];
    const std::size_t capacity = rng() % 24;
    ASSERT_EQ(Decode(text, capacity), Reference(text, capacity)) << text << " / " << capacity;
  }
  // Eight characters at once: taken exactly when all are digits, and then as the rule reads them.
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    bool digits = true;
    for (int i = 0; i < 8; ++i) {
      text += alphabet[rng() % (round % 2 == 0 ? 22 : alphabet.size())];
      digits = digits && DigitValue(text.back()) >= 0;
    }
    BYTE out[5] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    ASSERT_EQ(qel::DecodeEightHexDigits(text.data(), out), digits) << text;
    const Bytes expected = digits ? Reference(text, 4) : Bytes(4, 0xEE);
    ASSERT_EQ(Bytes(out, out + 4), expected) << text;
    ASSERT_EQ(out[4], 0xEE);
  }
}

}  // namespace
