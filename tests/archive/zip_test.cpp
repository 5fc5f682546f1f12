// CQelZip: which files go in, under which names and in which order, with which dates, and what
// happens to the originals. Archives are read back with Python's zipfile and Info-ZIP's unzip,
// readers independent of ours.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/qel_unzip.h"
#include "archive/qel_zip.h"
#include "archive_test_util.h"
#include "platform/progress.h"
#include "test_support.h"

namespace {

using qeltest::TempDir;
using qeltest::WriteText;
namespace fs = std::filesystem;

// Entry names of an archive, in name order.
std::vector<std::string> Names(const std::string& archive) {
  CQelUnzip unzip;
  std::vector<std::string> names;
  if (!unzip.Open(archive.c_str())) return {"<cannot open>"};
  for (const auto& [name, entry] : unzip.GetEntries()) names.push_back(name);
  return names;
}

std::vector<std::string> ZipNames(const TempDir& dir, const std::string& folder, CQelZip& zip,
                                  const char* pattern = nullptr) {
  const std::string archive = dir.File("out.zip");
  EXPECT_TRUE(zip.Open(archive.c_str()));
  zip.Zip(folder.c_str(), pattern);
  zip.Close();
  return Names(archive);
}

TEST(QelZip, StoresFilesInByteOrderWithLocalDatesReadableByOtherTools) {
  qeltest::TimeZone tz("EST5EDT,M3.2.0,M11.1.0");  // UTC-5, daylight saving UTC-4
  TempDir dir;
  const std::string src = dir.File("model");
  fs::create_directories(src + "/sub/deeper");
  WriteText(src + "/B.txt", "bee");
  WriteText(src + "/a.txt", "ay");
  const std::string big(5000, 'x');
  WriteText(src + "/sub/c.dat", big);
  WriteText(src + "/sub/deeper/d.bin", "");
  qeltest::SetFileTime(src + "/B.txt", qeltest::Utc(2021, 6, 15, 12, 34, 57));  // EDT
  qeltest::SetFileTime(src + "/a.txt", qeltest::Utc(2021, 1, 10, 5, 0, 0));     // EST
  qeltest::SetFileTime(src + "/sub/c.dat", qeltest::Utc(1975, 3, 1, 0, 0, 0));  // < 1980
  qeltest::SetFileTime(src + "/sub/deeper/d.bin", qeltest::Utc(2107, 12, 31, 23, 0, 0));

  CQelZip zip;
  EXPECT_FALSE(zip.Zip(src.c_str())) << "no archive is open";
  const std::string archive = dir.File("model.zip");
  ASSERT_TRUE(zip.Open(archive.c_str()));
  zip.SetGlobalComment("packed by a test");
  EXPECT_FALSE(zip.Zip(dir.File("missing").c_str()));
  ASSERT_TRUE(zip.Zip(src.c_str()));
  EXPECT_EQ(zip.GetZippedFiles(),
            (std::vector<std::string>{"B.txt", "a.txt", "sub/c.dat", "sub/deeper/d.bin"}));
  EXPECT_TRUE(zip.GetFailedFiles().empty());
  zip.Close();
  EXPECT_FALSE(zip.IsOpen());

  // Dates are local wall-clock readings in two-second steps, clamped to 1980..2107.
  const std::string expected =
      "packed by a test\n"
      "B.txt|2021-06-15 08:34:56|9140cc69|3|8|626565\n"
      "a.txt|2021-01-10 00:00:00|14e68181|2|8|6179\n"
      "sub/c.dat|1980-01-01 00:00:00|00dbf026|5000|8|" +
      qeltest::Lower(qeltest::Hex(big.data(), big.size())) +
      "\n"
      "sub/deeper/d.bin|2107-12-31 18:00:00|00000000|0|8|\n";
  EXPECT_EQ(qeltest::PythonZipListing(archive), expected);

  const std::string unzipTool = qeltest::FindProgram("unzip");
  ASSERT_FALSE(unzipTool.empty()) << "Info-ZIP unzip is needed (scripts/deps.sh installs it)";
  auto t = qeltest::RunProcess({unzipTool, "-t", archive});
  EXPECT_EQ(t.exitCode, 0) << t.out << t.err;
  EXPECT_NE(t.out.find("No errors detected"), std::string::npos) << t.out;
}

TEST(QelZip, RootOnlyAndPatternChooseWhatIsStored) {
  TempDir dir;
  const std::string src = dir.File("m");
  fs::create_directories(src + "/sub");
  fs::create_directories(src + "/x.dat.d");
  WriteText(src + "/one.dat", "1");
  WriteText(src + "/two.txt", "2");
  WriteText(src + "/sub/three.txt", "3");
  WriteText(src + "/x.dat.d/four.txt", "4");

  CQelZip zip;
  zip.SetRootOnly(true);
  EXPECT_EQ(ZipNames(dir, src, zip), (std::vector<std::string>{"one.dat", "two.txt"}));
  // The pattern chooses among the top folder's entries only: a matching folder is taken whole.
  CQelZip patterned;
  EXPECT_EQ(ZipNames(dir, src, patterned, "*.DAT*"),
            (std::vector<std::string>{"one.dat", "x.dat.d/four.txt"}));
}

TEST(QelZip, IgnoredNamesAndPatterns) {
  CQelZip zip;
  zip.AddIgnoredFile("Sub\\File.TXT");
  zip.AddIgnoredFile("*.BAK");
  zip.AddIgnoredFiles("a.txt b.txt");
  EXPECT_TRUE(zip.IsIgnoredFile("sub/file.txt"));
  EXPECT_TRUE(zip.IsIgnoredFile("SUB\\FILE.txt"));
  EXPECT_FALSE(zip.IsIgnoredFile("file.txt")) << "a name is a whole relative path";
  EXPECT_TRUE(zip.IsIgnoredFile("deep/er/x.Bak"));
  EXPECT_FALSE(zip.IsIgnoredFile("x.bak.keep"));
  EXPECT_TRUE(zip.IsIgnoredFile("b.txt"));
  zip.RemoveIgnoredFiles({"A.TXT", "*.bak"});
  EXPECT_FALSE(zip.IsIgnoredFile("a.txt"));
  EXPECT_FALSE(zip.IsIgnoredFile("x.bak"));
  EXPECT_TRUE(zip.IsIgnoredFile("b.txt"));

  // An ignored folder is not entered; patterns apply at every level.
  TempDir dir;
  const std::string src = dir.File("m");
  fs::create_directories(src + "/skip");
  fs::create_directories(src + "/keep");
  WriteText(src + "/skip/inner.txt", "");
  WriteText(src + "/keep/old.bak", "");
  WriteText(src + "/keep/new.txt", "");
  CQelZip walker;
  walker.AddIgnoredFiles(std::vector<std::string>{"SKIP", "*.bak"});
  EXPECT_EQ(ZipNames(dir, src, walker), (std::vector<std::string>{"keep/new.txt"}));
}

TEST(QelZip, OriginalsGoOnlyOnceTheArchiveIsClosedAndOnlyWhenStored) {
  TempDir dir;
  const std::string src = dir.File("m");
  fs::create_directories(src);
  WriteText(src + "/a.txt", "a");
  WriteText(src + "/b.txt", "b");
  fs::create_symlink(src + "/nowhere", src + "/broken.txt");  // listed, but cannot be read

  CQelZip zip;
  zip.SetDeleteOriginalFiles(true);
  ASSERT_TRUE(zip.Open(dir.File("m.zip").c_str()));
  EXPECT_FALSE(zip.Zip(src.c_str())) << "one file could not be stored";
  ASSERT_EQ(zip.GetFailedFiles().size(), 1u);
  EXPECT_EQ(zip.GetFailedFiles()[0].name, "broken.txt");
  EXPECT_EQ(zip.GetFailedFiles()[0].error, QelZipError::kSourceUnreadable);
  EXPECT_TRUE(fs::exists(src + "/a.txt")) << "nothing is deleted before the archive is complete";
  zip.Close();
  EXPECT_FALSE(fs::exists(src + "/a.txt"));
  EXPECT_FALSE(fs::exists(src + "/b.txt"));
  EXPECT_TRUE(fs::is_symlink(src + "/broken.txt"));
  EXPECT_EQ(Names(dir.File("m.zip")), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST(QelZip, LeavesOutItsOwnArchiveAndFollowsNoLinkLoop) {
  TempDir dir;
  const std::string src = dir.File("m");
  fs::create_directories(src + "/sub");
  WriteText(src + "/a.txt", "a");
  fs::create_directory_symlink(src, src + "/sub/loop");
  CQelZip zip;
  ASSERT_TRUE(zip.Open((src + "/self.zip").c_str()));
  EXPECT_TRUE(zip.Zip(src.c_str()));
  zip.Close();
  EXPECT_EQ(Names(src + "/self.zip"), (std::vector<std::string>{"a.txt"}));
}

// Records what a progress dialog is shown, one line per call.
class RecordingProgress : public CZipProgress {
 public:
  explicit RecordingProgress(std::vector<std::string>& log) : log_(log) {}
  ~RecordingProgress() override { log_.push_back("closed"); }
  void SetCaption(const std::string& c) override { log_.push_back("caption " + c); }
  void SetItemRange(int count) override { log_.push_back("items " + std::to_string(count)); }
  void SetItem(int number, const std::string& name, const std::string& text) override {
    log_.push_back(std::to_string(number) + " " + name + " " + text);
  }
  void SetBytesRange(ULONGLONG total) override { log_.push_back("of " + std::to_string(total)); }
  void SetBytes(ULONGLONG done) override {
    if (log_.back().rfind("bytes ", 0) == 0) log_.pop_back();  // the last position is enough
    log_.push_back("bytes " + std::to_string(done));
  }

 private:
  std::vector<std::string>& log_;
};

TEST(QelZip, ProgressCountsFilesAndBytesBothWays) {
  std::vector<std::string> log;
  auto previous =
      qel::SetZipProgressFactory([&log](HWND) { return std::make_unique<RecordingProgress>(log); });
  TempDir dir;
  const std::string src = dir.File("m");
  fs::create_directories(src);
  WriteText(src + "/a.txt", std::string(10000, 'a'));
  WriteText(src + "/b.txt", "b");

  CQelZip zip;
  ASSERT_TRUE(zip.Open(dir.File("quiet.zip").c_str()));
  EXPECT_TRUE(zip.Zip(src.c_str()));
  EXPECT_TRUE(log.empty()) << "no dialog without show progress";
  ASSERT_TRUE(zip.Open(dir.File("m.zip").c_str()));
  zip.SetShowProgress(true);
  EXPECT_TRUE(zip.Zip(src.c_str()));
  zip.Close();
  EXPECT_EQ(log, (std::vector<std::string>{"items 2", "caption Unzipping...",
                                           "1 a.txt File 1 of 2.", "of 10000", "bytes 10000",
                                           "2 b.txt File 2 of 2.", "of 1", "bytes 1", "closed"}));

  log.clear();
  CQelUnzip unzip;
  ASSERT_TRUE(unzip.Open(dir.File("m.zip").c_str()));
  unzip.SetShowProgress(true);
  unzip.SetProgressTitle("Restoring");
  EXPECT_TRUE(unzip.Unzip(dir.File("out").c_str()));
  EXPECT_EQ(log, (std::vector<std::string>{"items 2", "caption Restoring", "of 10000",
                                           "bytes 10000", "1 a.txt File 1 of 2.", "of 1", "bytes 1",
                                           "2 b.txt File 2 of 2.", "closed"}));
  qel::SetZipProgressFactory(previous);
}

}  // namespace
