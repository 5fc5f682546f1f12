#include "platform/cstring.h"

#include <gtest/gtest.h>

namespace {

TEST(CString, SlicingSearchingAndCaseClampLikeMfc) {
  CString s("Beam-W12x26");
  EXPECT_EQ(s.Left(4), "Beam");
  EXPECT_EQ(s.Left(99), "Beam-W12x26");
  EXPECT_EQ(s.Right(5), "12x26");
  EXPECT_EQ(s.Mid(5), "W12x26");
  EXPECT_EQ(s.Mid(5, 3), "W12");
  EXPECT_EQ(s.Mid(50, 3), "");
  EXPECT_EQ(s.Find('x'), 8);
  EXPECT_EQ(s.Find("12"), 6);
  EXPECT_EQ(s.Find('x', 9), -1);
  EXPECT_EQ(s.Find('B', 99), -1);
  EXPECT_EQ(s.ReverseFind('2'), 9);
  EXPECT_EQ(CString("abc").CompareNoCase("ABC"), 0);
  EXPECT_LT(CString("abc").CompareNoCase("ABD"), 0);
  CString u = s;
  u.MakeUpper();
  EXPECT_EQ(u, "BEAM-W12X26");
  EXPECT_EQ(s, "Beam-W12x26") << "copies are independent";
}

TEST(CString, EditingAndFormatting) {
  CString s("  a\\b\\c \t");
  s.Trim();
  EXPECT_EQ(s, "a\\b\\c");
  EXPECT_EQ(s.Replace('\\', '/'), 2);
  EXPECT_EQ(s, "a/b/c");
  EXPECT_EQ(s.Replace("/", "::"), 2);
  EXPECT_EQ(s, "a::b::c");
  EXPECT_EQ(s.Remove(':'), 4);
  s.Insert(1, "-");
  s.Delete(0);
  EXPECT_EQ(s, "-bc");

  CString f;
  f.Format("%d.%d|%s|%08.3f", 17, 3, "x", 2.5);
  EXPECT_EQ(f, "17.3|x|0002.500");
  std::string big(1000, 'z');
  f.Format("%s!", big.c_str());
  EXPECT_EQ(f.GetLength(), 1001);

  char* buf = f.GetBuffer(8);
  buf[0] = 'o';
  buf[1] = 'k';
  buf[2] = '\0';
  f.ReleaseBuffer();
  EXPECT_EQ(f, "ok");
}

TEST(CString, LoadStringFromTheStringTable) {
  CString t;
  EXPECT_TRUE(t.LoadString(26405));
  EXPECT_EQ(t, "TRUE");
  EXPECT_FALSE(t.LoadString(1));
  EXPECT_TRUE(t.IsEmpty());
}

}  // namespace
