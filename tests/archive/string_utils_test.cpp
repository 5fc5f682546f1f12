// String and path utilities: both forms of each function, the wide forms, splitting, the folder
// walk and number formatting.
#include "archive/string_utils.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>

#include "test_support.h"

namespace {

using qeltest::TempDir;
namespace fs = std::filesystem;

// Every function has a byte-string and a wide-string form; the same cases run for both.
template <class S>
S Str(const char* a) {
  return S(a, a + std::strlen(a));
}

template <class S>
void ExpectCaseConversion() {
  const auto t = Str<S>;
  S out = t("stale");
  lowerCaseString(t("MiXeD 12"), out);
  EXPECT_EQ(out, t("mixed 12"));
  EXPECT_EQ(lowerCaseString(t("ABC")), t("abc"));
  upperCaseString(t("MiXeD"), out);
  EXPECT_EQ(out, t("MIXED"));
  EXPECT_EQ(upperCaseString(t("abc-9")), t("ABC-9"));
  S s = t("Path\\File.TXT");
  convertStringToLowerCase(s);
  EXPECT_EQ(s, t("path\\file.txt"));
  convertStringToUpperCase(s);
  EXPECT_EQ(s, t("PATH\\FILE.TXT"));
}

TEST(StringUtils, CaseConversionInEveryForm) {
  ExpectCaseConversion<std::string>();
  ExpectCaseConversion<std::wstring>();
  EXPECT_EQ(lowerCaseString(std::string("A\xC3\x89")), "a\xC3\x89")
      << "bytes above 127 are left alone in the C locale";
}

template <class S>
void ExpectPathPieces() {
  using C = typename S::value_type;
  const auto t = Str<S>;
  EXPECT_TRUE(isPathSeparator(C('\\')));
  EXPECT_TRUE(isPathSeparator(C('/')));
  EXPECT_FALSE(isPathSeparator(C(':')));
  EXPECT_EQ(lastPathSeparatorInString(t("C:/a\\b.txt")), 4u);
  EXPECT_EQ(lastPathSeparatorInString(t("C:\\a/b.txt")), 4u);
  EXPECT_EQ(lastPathSeparatorInString(t("b.txt")), S::npos);

  S out;
  filenameFromPathString(t("C:/a\\b.txt"), out);
  EXPECT_EQ(out, t("b.txt"));
  EXPECT_EQ(filenameFromPathString(t("C:/a\\b.txt")), t("b.txt"));
  EXPECT_EQ(filenameFromPathString(t("plain")), t("plain"));
  EXPECT_EQ(filenameFromPathString(t("dir/")), t(""));

  directoryFromPathString(t("C:/a\\b.txt"), out);
  EXPECT_EQ(out, t("C:/a\\"));
  EXPECT_EQ(directoryFromPathString(t("C:\\x/y/b.txt")), t("C:\\x/y\\"))
      << "written as a backslash";
  EXPECT_EQ(directoryFromPathString(t("file.txt")), t("file.txt\\"));

  extensionFromFilename(t("archive.tar.gz"), out);
  EXPECT_EQ(out, t("gz"));
  EXPECT_EQ(extensionFromFilename(t("README")), t("README"));
  EXPECT_EQ(extensionFromFilename(t("name.")), t(""));
  extensionFromPath(t("C:\\a.b\\README"), out);
  EXPECT_EQ(out, t("README"));
  EXPECT_EQ(extensionFromPath(t("C:\\a.b\\model.b3d")), t("b3d"));

  buildPathString(t(""), t("x"), out);
  EXPECT_EQ(out, t("x"));
  EXPECT_EQ(buildPathString(t("C:\\d/"), t("x")), t("C:\\d/x"));
  EXPECT_EQ(buildPathString(t("C:\\d\\"), t("x")), t("C:\\d\\x"));
  EXPECT_EQ(buildPathString(t("C:/d"), t("x")), t("C:/d\\x"));
}

TEST(StringUtils, PathPiecesTreatBothSeparatorsAlike) {
  ExpectPathPieces<std::string>();
  ExpectPathPieces<std::wstring>();
}

template <class S>
void ExpectReplaceAndSplit() {
  using C = typename S::value_type;
  S s = Str<S>("a/b/c");
  replaceStringCharacter(s, C('/'), C('\\'), false);
  EXPECT_EQ(s, Str<S>("a\\b/c"));
  replaceStringCharacter(s, C('/'), C('\\'), true);
  EXPECT_EQ(s, Str<S>("a\\b\\c"));
  replaceStringCharacter(s, C('z'), C('y'), true);
  EXPECT_EQ(s, Str<S>("a\\b\\c"));

  // The pieces, each in brackets, after those already in `parts`.
  auto split = [](const char* text, const char* sep, std::vector<S> parts = {}) {
    componentsSeparatedByString(Str<S>(text), Str<S>(sep), parts);
    std::string out;
    for (const S& part : parts) {
      out += '[';
      for (C c : part) out += static_cast<char>(c);
      out += ']';
    }
    return out;
  };
  EXPECT_EQ(split("a,b", ","), "[a][b]");
  EXPECT_EQ(split("a,,b", ","), "[a][][b]");
  EXPECT_EQ(split("a,", ","), "[a][]");
  EXPECT_EQ(split(",a", ","), "[][a]");
  EXPECT_EQ(split(",", ","), "[][]");
  EXPECT_EQ(split("", ","), "");
  EXPECT_EQ(split("abc", ","), "[abc]");
  EXPECT_EQ(split("a::b::", "::"), "[a][b][]");
  EXPECT_EQ(split("a,b", ""), "[a,b]") << "an empty separator must not loop forever";
  EXPECT_EQ(split("x\\y", "\\", {Str<S>("kept")}), "[kept][x][y]") << "the vector is appended to";
}

TEST(StringUtils, ReplaceAndSplit) {
  ExpectReplaceAndSplit<std::string>();
  ExpectReplaceAndSplit<std::wstring>();
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
