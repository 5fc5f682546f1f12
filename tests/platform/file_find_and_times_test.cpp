// The platform pieces under the zip archives: wildcard masks, folder listings, file times and
// their conversions, and the read-only attribute. (The memory stream is read through by the
// unzip tests.)
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <tuple>

#include "archive_test_util.h"
#include "platform/cfilefind.h"
#include "platform/file_time.h"
#include "platform/paths.h"
#include "platform/win_file.h"
#include "test_support.h"

namespace {

using qeltest::TempDir;
namespace fs = std::filesystem;

TEST(PathMatchSpec, MasksListsAndCase) {
  EXPECT_TRUE(PathMatchSpecA("model.BAK", "*.bak"));
  EXPECT_TRUE(PathMatchSpecA("README", "*.*")) << "*.* matches names without a dot";
  EXPECT_FALSE(PathMatchSpecA("README", "*.?*"));
  EXPECT_TRUE(PathMatchSpecA("a.b.c", "*.c"));
  EXPECT_TRUE(PathMatchSpecA("abc", "a?c"));
  EXPECT_FALSE(PathMatchSpecA("ac", "a?c"));
  EXPECT_TRUE(PathMatchSpecA("ac", "a*c"));
  EXPECT_TRUE(PathMatchSpecA("x.tmp", "*.bak; *.tmp")) << "lists split at ';', leading blanks go";
  EXPECT_FALSE(PathMatchSpecA("x.tm", "*.bak;*.tmp"));
  EXPECT_FALSE(PathMatchSpecA("x", ""));
  EXPECT_FALSE(PathMatchSpecA(nullptr, "*"));
  EXPECT_FALSE(PathMatchSpecA("x", nullptr));
  // Many stars against a long non-matching name finish at once (no exponential backtracking).
  EXPECT_FALSE(qel::WildcardMatch(std::string(5000, 'a'), "*a*a*a*a*a*a*a*a*a*a*b"));
  EXPECT_TRUE(qel::WildcardMatch("", "***"));
}

TEST(CFileFind, ListsMatchingEntriesWithTheirFacts) {
  TempDir dir;
  fs::create_directory(dir.File("Sub"));
  qeltest::WriteText(dir.File("a.DAT"), "12345");
  qeltest::WriteText(dir.File("b.txt"), "");
  fs::permissions(dir.File("b.txt"), fs::perms::owner_write, fs::perm_options::remove);

  CFileFind find;
  std::map<std::string, std::string> seen;
  BOOL more = find.FindFile((dir.path().string() + "\\*.*").c_str());
  ASSERT_TRUE(more);
  while (more) {
    more = find.FindNextFile();
    FILETIME t{};
    ASSERT_TRUE(find.GetLastWriteTime(t));
    seen[find.GetFileName().str()] = std::string(find.IsDots() ? "dots " : "") +
                                     (find.IsReadOnly() ? "ro " : "") +
                                     std::to_string(find.GetLength());
    if (find.GetFileName() == CString("a.DAT")) {
      EXPECT_EQ(find.GetFilePath().str(), dir.path().string() + "/a.DAT");
    }
  }
  EXPECT_FALSE(find.FindNextFile());
  EXPECT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen["a.DAT"], "5");
  EXPECT_EQ(seen["b.txt"], "ro 0");
  EXPECT_EQ(seen[".."].substr(0, 5), "dots ");

  EXPECT_TRUE(find.FindFile((dir.path().string() + "/*.dat").c_str()));
  EXPECT_FALSE(find.FindNextFile()) << "one entry matches, without regard to case";
  EXPECT_EQ(find.GetFileName(), CString("a.DAT"));
  EXPECT_FALSE(find.FindFile((dir.path().string() + "/*.none").c_str()));
  EXPECT_FALSE(find.FindFile(dir.File("missing/*").c_str()));
}

TEST(FileTimes, ConversionsAndSettingByPath) {
  qeltest::TimeZone tz("EST5EDT,M3.2.0,M11.1.0");
  // 2021-06-15 12:34:56.789 UTC
  const FILETIME utc =
      qel::FileTimeFromUnixNs(qeltest::Utc(2021, 6, 15, 12, 34, 56) * 1000000000LL + 789000000);
  SYSTEMTIME st{};
  ASSERT_TRUE(FileTimeToSystemTime(&utc, &st));
  EXPECT_EQ(std::tie(st.wYear, st.wMonth, st.wDay, st.wDayOfWeek, st.wHour, st.wMilliseconds),
            std::make_tuple(2021, 6, 15, 2, 12, 789))
      << "a Tuesday";
  // Both round trips keep the milliseconds.
  FILETIME local{}, back{};
  ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
  EXPECT_EQ(qel::UnixNsFromFileTime(back), qel::UnixNsFromFileTime(utc));
  ASSERT_TRUE(SystemTimeToFileTime(&st, &back));
  EXPECT_EQ(qel::UnixNsFromFileTime(back), qel::UnixNsFromFileTime(utc));

  // The Windows epoch, times before the Unix one, and fields out of range.
  const SYSTEMTIME epoch{1601, 1, 0, 1, 0, 0, 0, 0}, leap{2024, 2, 0, 29, 0, 0, 0, 0};
  ASSERT_TRUE(SystemTimeToFileTime(&epoch, &back));
  EXPECT_EQ(back.dwLowDateTime | back.dwHighDateTime, 0u);
  EXPECT_EQ(qel::UnixNsFromFileTime(qel::FileTimeFromUnixNs(-1500000000LL)), -1500000000LL);
  EXPECT_TRUE(SystemTimeToFileTime(&leap, &back));
  for (SYSTEMTIME bad :
       {SYSTEMTIME{2021, 2, 0, 29, 0, 0, 0, 0}, SYSTEMTIME{2021, 13, 0, 1, 0, 0, 0, 0},
        SYSTEMTIME{1600, 1, 0, 1, 0, 0, 0, 0}, SYSTEMTIME{2021, 1, 0, 1, 0, 60, 0, 0}}) {
    FILETIME untouched{7, 7};
    EXPECT_FALSE(SystemTimeToFileTime(&bad, &untouched));
    EXPECT_EQ(untouched.dwLowDateTime, 7u);
  }

  TempDir dir;
  qeltest::WriteText(dir.File("f"), "");
  ASSERT_TRUE(qel::SetFileTimes(dir.File("f"), utc, utc));
  EXPECT_EQ(qeltest::FileTime(dir.File("f")), qeltest::Utc(2021, 6, 15, 12, 34, 56));
  EXPECT_TRUE(qel::SetFileTimes(dir.path().string() + "\\", utc, utc)) << "folders too";
  EXPECT_FALSE(qel::SetFileTimes(dir.File("missing"), utc, utc));
}

TEST(FileAttributes, ReadOnlyIsTheOwnersWriteBit) {
  TempDir dir;
  const std::string f = dir.File("f");
  qeltest::WriteText(f, "");
  EXPECT_EQ(GetFileAttributesA(f.c_str()), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(GetFileAttributesA(dir.path().c_str()), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesA(dir.File("missing").c_str()), INVALID_FILE_ATTRIBUTES);
  fs::permissions(f, fs::perms::group_write | fs::perms::others_write, fs::perm_options::add);
  ASSERT_TRUE(SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(fs::status(f).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(GetFileAttributesA(f.c_str()), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetFileAttributesA(f.c_str()), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_FALSE(SetFileAttributesA(dir.File("missing").c_str(), FILE_ATTRIBUTE_NORMAL));
}

}  // namespace
