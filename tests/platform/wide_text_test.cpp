// Wide paths and their UTF-8 form on the file system.
#include <gtest/gtest.h>

#include "platform/paths.h"

namespace {

TEST(WideText, Utf8RoundTripAndBadInput) {
  const std::wstring text = L"a\u00e9\u20ac\U0001F600";
  const std::string utf8 = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
  EXPECT_EQ(qel::WideToUtf8(text), utf8);
  EXPECT_EQ(qel::Utf8ToWide(utf8), text);
  EXPECT_EQ(qel::WideToUtf8(L""), "");

  // What UTF-8 cannot carry becomes U+FFFD (EF BF BD).
  EXPECT_EQ(qel::WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(qel::WideToUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xEF\xBF\xBD");
  // Bad bytes: a lone continuation, a truncated sequence, an overlong form, an encoded surrogate.
  EXPECT_EQ(qel::Utf8ToWide("\x80z"), L"\uFFFDz");
  EXPECT_EQ(qel::Utf8ToWide("x\xE2\x82"), L"x\uFFFD\uFFFD");
  EXPECT_EQ(qel::Utf8ToWide("\xC0\xAF"), L"\uFFFD\uFFFD");
  EXPECT_EQ(qel::Utf8ToWide("\xED\xA0\x80"), L"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(qel::Utf8ToWide("\xFF"), L"\uFFFD");
}

TEST(WideText, WideFolderCalls) {
  EXPECT_FALSE(PathIsRelativeW(L"/x"));
  EXPECT_FALSE(PathIsRelativeW(L"\\x"));
  EXPECT_FALSE(PathIsRelativeW(L"C:x"));
  EXPECT_TRUE(PathIsRelativeW(L"x\\y"));
  EXPECT_TRUE(PathIsRelativeW(L""));
  EXPECT_TRUE(PathIsRelativeW(nullptr));

  char narrow[4096];
  wchar_t wide[4096];
  const DWORD n = GetCurrentDirectoryA(sizeof narrow, narrow);
  ASSERT_GT(n, 0u);
  const DWORD w = GetCurrentDirectoryW(4096, wide);
  ASSERT_GT(w, 0u);
  EXPECT_EQ(qel::WideToUtf8(std::wstring(wide, w)), std::string(narrow, n));
  // Too small a buffer: the size needed, terminator included.
  EXPECT_EQ(GetCurrentDirectoryW(1, wide), w + 1);
  EXPECT_FALSE(SetCurrentDirectoryW(nullptr));
  EXPECT_FALSE(CreateDirectoryW(nullptr, nullptr));
}

}  // namespace
