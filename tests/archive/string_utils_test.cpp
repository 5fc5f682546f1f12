// String and path utilities: both forms of each function, the wide forms, splitting, the folder
// walk and number formatting.
#include "archive/string_utils.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "test_support.h"

namespace {

using qeltest::TempDir;
namespace fs = std::filesystem;

TEST(StringUtils, CaseConversionInEveryForm) {
  std::string out = "stale";
  lowerCaseString("MiXeD 12\xC3\x89", out);
  EXPECT_EQ(out, "mixed 12\xC3\x89") << "bytes above 127 are left alone in the C locale";
  EXPECT_EQ(lowerCaseString("ABC"), "abc");
  upperCaseString("MiXeD", out);
  EXPECT_EQ(out, "MIXED");
  EXPECT_EQ(upperCaseString("abc-9"), "ABC-9");
  std::string s = "Path\\File.TXT";
  convertStringToLowerCase(s);
  EXPECT_EQ(s, "path\\file.txt");
  convertStringToUpperCase(s);
  EXPECT_EQ(s, "PATH\\FILE.TXT");

  std::wstring w;
  lowerCaseString(std::wstring(L"AbC"), w);
  EXPECT_EQ(w, L"abc");
  EXPECT_EQ(upperCaseString(std::wstring(L"aBc")), L"ABC");
  std::wstring ws = L"Xy";
  convertStringToLowerCase(ws);
  EXPECT_EQ(ws, L"xy");
  convertStringToUpperCase(ws);
  EXPECT_EQ(ws, L"XY");
}

TEST(StringUtils, PathPiecesTreatBothSeparatorsAlike) {
  EXPECT_TRUE(isPathSeparator('\\'));
  EXPECT_TRUE(isPathSeparator('/'));
  EXPECT_FALSE(isPathSeparator(':'));
  EXPECT_TRUE(isPathSeparator(L'/'));
  EXPECT_EQ(lastPathSeparatorInString("C:/a\\b.txt"), 4u);
  EXPECT_EQ(lastPathSeparatorInString("C:\\a/b.txt"), 4u);
  EXPECT_EQ(lastPathSeparatorInString("b.txt"), std::string::npos);
  EXPECT_EQ(lastPathSeparatorInString(std::wstring(L"x/y\\z")), 3u);

  std::string out;
  filenameFromPathString("C:/a\\b.txt", out);
  EXPECT_EQ(out, "b.txt");
  EXPECT_EQ(filenameFromPathString("C:/a\\b.txt"), "b.txt");
  EXPECT_EQ(filenameFromPathString("plain"), "plain");
  EXPECT_EQ(filenameFromPathString("dir/"), "");

  directoryFromPathString("C:/a\\b.txt", out);
  EXPECT_EQ(out, "C:/a\\");
  EXPECT_EQ(directoryFromPathString("C:\\x/y/b.txt"), "C:\\x/y\\") << "written as a backslash";
  EXPECT_EQ(directoryFromPathString("file.txt"), "file.txt\\");

  extensionFromFilename("archive.tar.gz", out);
  EXPECT_EQ(out, "gz");
  EXPECT_EQ(extensionFromFilename("README"), "README");
  EXPECT_EQ(extensionFromFilename("name."), "");
  extensionFromPath("C:\\a.b\\README", out);
  EXPECT_EQ(out, "README");
  EXPECT_EQ(extensionFromPath("C:\\a.b\\model.b3d"), "b3d");

  buildPathString("", "x", out);
  EXPECT_EQ(out, "x");
  EXPECT_EQ(buildPathString("C:\\d/", "x"), "C:\\d/x");
  EXPECT_EQ(buildPathString("C:\\d\\", "x"), "C:\\d\\x");
  EXPECT_EQ(buildPathString("C:/d", "x"), "C:/d\\x");

  // The wide forms give the same answers.
  std::wstring w;
  filenameFromPathString(std::wstring(L"C:/a\\b.txt"), w);
  EXPECT_EQ(w, L"b.txt");
  EXPECT_EQ(filenameFromPathString(std::wstring(L"b")), L"b");
  directoryFromPathString(std::wstring(L"C:/a\\b.txt"), w);
  EXPECT_EQ(w, L"C:/a\\");
  EXPECT_EQ(directoryFromPathString(std::wstring(L"f")), L"f\\");
  extensionFromFilename(std::wstring(L"a.b.c"), w);
  EXPECT_EQ(w, L"c");
  EXPECT_EQ(extensionFromFilename(std::wstring(L"none")), L"none");
  extensionFromPath(std::wstring(L"C:\\a.b\\README"), w);
  EXPECT_EQ(w, L"README");
  EXPECT_EQ(extensionFromPath(std::wstring(L"/m/t.sty")), L"sty");
  buildPathString(std::wstring(L""), std::wstring(L"x"), w);
  EXPECT_EQ(w, L"x");
  EXPECT_EQ(buildPathString(std::wstring(L"C:\\d"), std::wstring(L"x")), L"C:\\d\\x");
}

TEST(StringUtils, ReplaceAndSplit) {
  std::string s = "a/b/c";
  replaceStringCharacter(s, '/', '\\', false);
  EXPECT_EQ(s, "a\\b/c");
  replaceStringCharacter(s, '/', '\\', true);
  EXPECT_EQ(s, "a\\b\\c");
  replaceStringCharacter(s, 'z', 'y', true);
  EXPECT_EQ(s, "a\\b\\c");
  std::wstring w = L"x.y.z";
  replaceStringCharacter(w, L'.', L'_', false);
  EXPECT_EQ(w, L"x_y.z");
  replaceStringCharacter(w, L'.', L'_', true);
  EXPECT_EQ(w, L"x_y_z");

  using V = std::vector<std::string>;
  auto split = [](const std::string& text, const std::string& sep) {
    V parts;
    componentsSeparatedByString(text, sep, parts);
    return parts;
  };
  EXPECT_EQ(split("a,b", ","), (V{"a", "b"}));
  EXPECT_EQ(split("a,,b", ","), (V{"a", "", "b"}));
  EXPECT_EQ(split("a,", ","), (V{"a", ""}));
  EXPECT_EQ(split(",a", ","), (V{"", "a"}));
  EXPECT_EQ(split(",", ","), (V{"", ""}));
  EXPECT_EQ(split("", ","), V{});
  EXPECT_EQ(split("abc", ","), V{"abc"});
  EXPECT_EQ(split("a::b::", "::"), (V{"a", "b", ""}));
  EXPECT_EQ(split("a,b", ""), V{"a,b"}) << "an empty separator must not loop forever";

  V parts{"kept"};
  componentsSeparatedByString("x\\y", "\\", parts);
  EXPECT_EQ(parts, (V{"kept", "x", "y"})) << "the vector is appended to";

  std::vector<std::wstring> wparts;
  componentsSeparatedByString(std::wstring(L"p,,q,"), std::wstring(L","), wparts);
  EXPECT_EQ(wparts, (std::vector<std::wstring>{L"p", L"", L"q", L""}));
}

TEST(StringUtils, Ftostr) {
  EXPECT_EQ(ftostr(2.5, 3), "2.5");
  EXPECT_EQ(ftostr(3.0, 2), "3");
  EXPECT_EQ(ftostr(0.0, 2), "0");
  EXPECT_EQ(ftostr(100, 0), "100");
  EXPECT_EQ(ftostr(1000, 2), "1000") << "zeros before the point stay";
  EXPECT_EQ(ftostr(-1.25, 1), "-1.2") << "printf rounding, half to even";
  EXPECT_EQ(ftostr(0.125, 5), "0.125");
  EXPECT_EQ(ftostr(12.3456, 2), "12.35");
  EXPECT_EQ(ftostr(7.5, -3), "8") << "negative decimals count as none";
  // Past 127 characters: exponent form, never a cut-off number.
  EXPECT_EQ(ftostr(1e300, 2), "1.0000000000000001e+300");
  EXPECT_EQ(ftostr(1.0, 200), "1");
  EXPECT_EQ(ftostr(0.1, 124), "0.1000000000000000055511151231257827021181583404541015625");
  EXPECT_EQ(ftostr(0.5, INT_MAX), "0.5");
}

class CurrentFolderGuard {
 public:
  CurrentFolderGuard() : saved_(fs::current_path()) {}
  ~CurrentFolderGuard() { fs::current_path(saved_); }
  const fs::path& saved() const { return saved_; }

 private:
  fs::path saved_;
};

TEST(StringUtils, EnsurePathExists) {
  TempDir dir;
  CurrentFolderGuard guard;
  // Run from inside the scratch folder so relative paths land there.
  fs::current_path(dir.path());
  const fs::path here = fs::current_path();

  // An existing folder: nothing created, current folder unchanged.
  const auto before = std::distance(fs::directory_iterator(here), fs::directory_iterator());
  EXPECT_TRUE(EnsurePathExists(here.string()));
  EXPECT_EQ(fs::current_path(), here);
  EXPECT_EQ(std::distance(fs::directory_iterator(here), fs::directory_iterator()), before);

  // An absolute chain with mixed separators and doubled separators.
  std::string absolute = here.string() + "/a\\b//c";
  EXPECT_TRUE(EnsurePathExists(absolute));
  EXPECT_TRUE(fs::is_directory(here / "a" / "b" / "c"));
  EXPECT_EQ(fs::current_path(), here);

  // A relative chain, from the current folder.
  EXPECT_TRUE(EnsurePathExists("rel\\x/y"));
  EXPECT_TRUE(fs::is_directory(here / "rel" / "x" / "y"));
  EXPECT_EQ(fs::current_path(), here);

  // A file in the way: false, and the current folder is still restored.
  qeltest::WriteText((here / "a" / "file").string(), "x");
  EXPECT_FALSE(EnsurePathExists(here.string() + "/a/file/deeper"));
  EXPECT_FALSE(fs::exists(here / "a" / "file" / "deeper"));
  EXPECT_EQ(fs::current_path(), here);

  // The wide form; non-ASCII names reach the file system as UTF-8.
  std::wstring wide = L"w\\\u00e9t\u00e9/z";
  EXPECT_TRUE(EnsurePathExists(wide));
  EXPECT_TRUE(fs::is_directory(here / "w" / "\xC3\xA9t\xC3\xA9" / "z"));
  EXPECT_EQ(fs::current_path(), here);
  EXPECT_FALSE(EnsurePathExists(std::wstring(L"a/file/x")));
  EXPECT_EQ(fs::current_path(), here);
}

}  // namespace
