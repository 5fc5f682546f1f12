// CQelUnzip over archives laid out byte by byte: listing, reading into memory, extracting with
// dates and read-only files, reading from a stream -- and archives that lie or attack.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/qel_unzip.h"
#include "archive_test_util.h"
#include "platform/win_file.h"
#include "test_support.h"
#include "zip_builder.h"

namespace {

using qeltest::BuildZip;
using qeltest::TempDir;
using qeltest::Text;
using qeltest::ZipEntrySpec;
namespace fs = std::filesystem;

ZipEntrySpec Entry(const std::string& name, const std::string& data, int method = 8) {
  ZipEntrySpec e;
  e.name = name;
  e.data = Text(data);
  e.method = method;
  return e;
}

std::string WriteZip(const TempDir& dir, const std::vector<ZipEntrySpec>& entries,
                     const std::string& comment = "") {
  const std::string path = dir.File("in.zip");
  qeltest::WriteBytes(path, BuildZip(entries, comment).bytes);
  return path;
}

std::vector<std::string> Failures(const CQelUnzip& unzip) {
  std::vector<std::string> out;
  for (const auto& f : unzip.GetFailedEntries())
    out.push_back(f.name + ":" + std::to_string(static_cast<int>(f.error)));
  return out;
}

std::string Failure(const std::string& name, QelZipError error) {
  return name + ":" + std::to_string(static_cast<int>(error));
}

// Every path under `root`, relative, sorted.
std::vector<std::string> Tree(const std::string& root) {
  std::vector<std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(root))
    out.push_back(fs::relative(e.path(), root).string() + (e.is_directory() ? "/" : ""));
  std::sort(out.begin(), out.end());
  return out;
}

TEST(QelUnzip, ListsAndReadsEntriesByName) {
  TempDir dir;
  const std::string path = WriteZip(dir,
                                    {Entry("Model.DAT", "deflated bytes"), Entry("b/x.dat", "x", 0),
                                     Entry("readme", "no extension"), Entry("b/", "")},
                                    "the comment");
  CQelUnzip unzip;
  EXPECT_FALSE(unzip.IsOpen());
  std::string comment = "stale";
  EXPECT_FALSE(unzip.GetGlobalComment(comment));
  EXPECT_EQ(comment, "");
  ASSERT_TRUE(unzip.Open(path.c_str()));
  EXPECT_TRUE(unzip.GetGlobalComment(comment));
  EXPECT_EQ(comment, "the comment");

  EXPECT_EQ(unzip.GetPathsForExtension("DAT"), (std::set<std::string>{"Model.DAT", "b/x.dat"}));
  EXPECT_EQ(unzip.GetPathsForExtension("readme"), (std::set<std::string>{"readme"}));
  EXPECT_TRUE(unzip.GetPathsForExtension("zzz").empty());
  EXPECT_TRUE(unzip.IsFileInZipFile("model.dat")) << "found without regard to case";
  EXPECT_FALSE(unzip.IsFileInZipFile("model"));
  const auto& entries = unzip.GetEntries();
  ASSERT_EQ(entries.size(), 4u);
  const QelUnzipFileInfo& info = entries.at("Model.DAT").info;
  EXPECT_EQ(info.uncompressed_size, 14u);
  EXPECT_EQ(info.compression_method, 8u);
  EXPECT_EQ(info.crc, qeltest::Crc32(Text("deflated bytes")));

  std::vector<unsigned char> data = Text("left over from before");
  ASSERT_TRUE(unzip.ReadFileData("Model.DAT", data, 1));
  EXPECT_EQ(data, Text(std::string("deflated bytes") + '\0'));
  ASSERT_TRUE(unzip.ReadFileData("b/x.dat", data));
  EXPECT_EQ(data, Text("x"));
  EXPECT_FALSE(unzip.ReadFileData("model.dat", data)) << "reading compares names exactly";
  EXPECT_TRUE(data.empty());

  unzip.Close();
  EXPECT_FALSE(unzip.IsOpen());
  EXPECT_TRUE(unzip.GetEntries().empty());
  EXPECT_FALSE(unzip.Unzip(dir.File("out").c_str()));
}

TEST(QelUnzip, ExtractsWithEntryDatesAndFolderTimes) {
  qeltest::TimeZone tz("EST5EDT,M3.2.0,M11.1.0");
  TempDir dir;
  auto file = Entry("sub/a.txt", "alpha");
  file.dosDate = ZipEntrySpec::DosDate(2021, 6, 15);  // daylight saving: UTC-4
  file.dosTime = ZipEntrySpec::DosTime(8, 34, 56);
  auto folder = Entry("sub/", "", 0);
  folder.dosDate = ZipEntrySpec::DosDate(2020, 1, 2);  // standard time: UTC-5
  folder.dosTime = ZipEntrySpec::DosTime(3, 4, 6);
  auto undated = Entry("top.bin", "t");
  undated.dosDate = 0;  // no valid date: the file keeps the time of its writing
  const std::string path = WriteZip(dir, {file, folder, undated, Entry("empty/", "", 0)});

  CQelUnzip unzip;
  ASSERT_TRUE(unzip.Open(path.c_str()));
  const std::string out = dir.File("out/deeper");
  ASSERT_TRUE(unzip.Unzip(out.c_str()));
  EXPECT_EQ(Tree(out), (std::vector<std::string>{"empty/", "sub/", "sub/a.txt", "top.bin"}));
  EXPECT_EQ(qeltest::ReadText(out + "/sub/a.txt"), "alpha");
  EXPECT_EQ(qeltest::FileTime(out + "/sub/a.txt"), qeltest::Utc(2021, 6, 15, 12, 34, 56));
  EXPECT_EQ(qeltest::FileTime(out + "/sub"), qeltest::Utc(2020, 1, 2, 8, 4, 6))
      << "a folder gets its time after its files were written";
  EXPECT_GT(qeltest::FileTime(out + "/top.bin"), qeltest::Utc(2024, 1, 1, 0, 0, 0));

  // Root only leaves every entry with a separator alone.
  CQelUnzip rootOnly;
  rootOnly.SetRootOnly(true);
  ASSERT_TRUE(rootOnly.Open(path.c_str()));
  ASSERT_TRUE(rootOnly.Unzip(dir.File("root").c_str()));
  EXPECT_EQ(Tree(dir.File("root")), (std::vector<std::string>{"top.bin"}));
}

TEST(QelUnzip, ReplacesAReadOnlyFileOnlyWhenAllowed) {
  TempDir dir;
  const std::string path = WriteZip(dir, {Entry("a.txt", "new")});
  const std::string out = dir.File("out");
  fs::create_directories(out);
  qeltest::WriteText(out + "/a.txt", "old");
  ASSERT_TRUE(SetFileAttributesA((out + "/a.txt").c_str(), FILE_ATTRIBUTE_READONLY));

  CQelUnzip unzip;
  ASSERT_TRUE(unzip.Open(path.c_str()));
  EXPECT_FALSE(unzip.Unzip(out.c_str()));
  EXPECT_EQ(Failures(unzip), (std::vector<std::string>{Failure("a.txt", QelZipError::kReadOnly)}));
  EXPECT_EQ(qeltest::ReadText(out + "/a.txt"), "old");
  unzip.SetOverwriteReadOnly(true);
  EXPECT_TRUE(unzip.Unzip(out.c_str()));
  EXPECT_EQ(qeltest::ReadText(out + "/a.txt"), "new");
  EXPECT_EQ(GetFileAttributesA((out + "/a.txt").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

// A stream that counts its references around a memory stream.
class CountingStream final : public IStream {
 public:
  HRESULT QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  CountingStream(const std::vector<unsigned char>& bytes, int& refs)
      : inner_(SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size()))), refs_(refs) {
    refs_ = 1;
  }
  ULONG AddRef() override { return static_cast<ULONG>(++refs_); }
  ULONG Release() override {
    const int left = --refs_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }
  HRESULT Read(void* pv, ULONG cb, ULONG* read) override { return inner_->Read(pv, cb, read); }
  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* pos) override {
    return inner_->Seek(move, origin, pos);
  }

 private:
  ~CountingStream() { inner_->Release(); }
  IStream* inner_;
  int& refs_;
};

TEST(QelUnzip, ReadsFromAStreamAndReleasesItOnClose) {
  const auto layout = BuildZip({Entry("t.sty", std::string(3000, 's')), Entry("t.b3d", "beams")});
  int refs = 0;
  IStream* stream = new CountingStream(layout.bytes, refs);
  {
    CQelUnzip unzip;
    ASSERT_TRUE(unzip.Open(stream));
    EXPECT_EQ(refs, 2);
    std::vector<unsigned char> data;
    ASSERT_TRUE(unzip.ReadFileData("t.sty", data));
    EXPECT_EQ(data, Text(std::string(3000, 's')));
    ASSERT_TRUE(unzip.Open(stream)) << "re-opening the held stream keeps it alive";
    EXPECT_EQ(refs, 2);
    EXPECT_EQ(unzip.GetPathsForExtension("b3d").size(), 1u);
    unzip.Close();
    EXPECT_EQ(refs, 1);
    ASSERT_TRUE(unzip.Open(stream));
  }
  EXPECT_EQ(refs, 1) << "destruction closes and releases";
  stream->Release();
  EXPECT_EQ(refs, 0);

  // Bytes that are no archive are refused and the stream is still released on Close.
  IStream* junk = SHCreateMemStream(reinterpret_cast<const BYTE*>("PK\x05\x06junk"), 8);
  CQelUnzip unzip;
  EXPECT_FALSE(unzip.Open(junk));
  unzip.Close();
  junk->Release();
}

TEST(QelUnzip, RefusesNamesThatLeaveTheDestination) {
  TempDir dir;
  const std::string path =
      WriteZip(dir, {Entry("../evil", "x"), Entry("a/../../evil2", "x"), Entry("/abs", "x"),
                     Entry("\\abs2", "x"), Entry("C:drive", "x"), Entry("ok/../fine", "f"),
                     Entry("..\\..\\evil3", "x"), Entry("good", "g"), Entry("", "x")});
  const std::string out = dir.File("out");
  CQelUnzip unzip;
  ASSERT_TRUE(unzip.Open(path.c_str()));
  EXPECT_FALSE(unzip.Unzip(out.c_str()));
  const auto bad = QelZipError::kBadName;
  EXPECT_EQ(Failures(unzip),
            (std::vector<std::string>{Failure("", bad), Failure("../evil", bad),
                                      Failure("..\\..\\evil3", bad), Failure("/abs", bad),
                                      Failure("C:drive", bad), Failure("\\abs2", bad),
                                      Failure("a/../../evil2", bad)}));
  EXPECT_EQ(Tree(dir.path().string()),
            (std::vector<std::string>{"in.zip", "out/", "out/fine", "out/good", "out/ok/"}));
}

TEST(QelUnzip, DamagedArchivesFailCleanly) {
  TempDir dir;
  const auto good = BuildZip({Entry("a", "aaaa"), Entry("b", "bbbb"), Entry("c", "cccc")});
  CQelUnzip unzip;
  std::string comment;

  // A directory cut short under an intact end record.
  auto cut = good.bytes;
  cut.erase(cut.begin() + static_cast<long>(good.centralOffset) + 10,
            cut.begin() + static_cast<long>(good.endOffset));
  qeltest::WriteBytes(dir.File("cut.zip"), cut);
  EXPECT_FALSE(unzip.Open(dir.File("cut.zip").c_str()));

  // A directory whose last record is garbage though its size adds up.
  auto garbled = good.bytes;
  for (std::size_t i = good.endOffset - 20; i < good.endOffset; ++i) garbled[i] = 0xEE;
  auto third = good.centralOffset + (good.endOffset - good.centralOffset) / 3 * 2;
  garbled[third] = 'X';  // signature of the third record
  qeltest::WriteBytes(dir.File("garbled.zip"), garbled);
  if (unzip.Open(dir.File("garbled.zip").c_str())) {
    EXPECT_TRUE(unzip.IsDamaged());
    EXPECT_EQ(unzip.GetEntries().size(), 2u);
    EXPECT_FALSE(unzip.Unzip(dir.File("g").c_str()));
    EXPECT_FALSE(fs::exists(dir.File("g"))) << "nothing is extracted from a damaged directory";
    EXPECT_EQ(Failures(unzip),
              (std::vector<std::string>{Failure("", QelZipError::kDamagedDirectory)}));
  }

  // Truncated files, an empty file and the end record alone.
  for (std::size_t keep :
       {std::size_t{0}, std::size_t{4}, good.centralOffset, good.endOffset, good.endOffset + 3}) {
    std::vector<unsigned char> part(good.bytes.begin(),
                                    good.bytes.begin() + static_cast<long>(keep));
    qeltest::WriteBytes(dir.File("part.zip"), part);
    EXPECT_FALSE(unzip.Open(dir.File("part.zip").c_str())) << keep;
  }
  EXPECT_FALSE(unzip.Open(dir.File("missing.zip").c_str()));
  EXPECT_FALSE(unzip.Open(dir.path().c_str()));

  // Data that fails its CRC, deflate garbage, short data, and methods this reader does not do.
  auto wrongCrc = Entry("crc", "payload");
  wrongCrc.crc = 0x12345678;
  auto garbage = Entry("garbage", "", 8);
  garbage.data = Text("\xff\xff\xff\xff not deflate");
  garbage.method = 0;  // stored as is, then declared deflated below
  auto shortData = Entry("short", "abc", 0);
  shortData.declaredSize = 10;
  auto bzip = Entry("bzip2", "x", 12);
  auto encrypted = Entry("secret", "x", 0);
  encrypted.flags = 1;
  // Sizes in the zip64 field, which the zip library does not read.
  auto zip64 = Entry("z64", "zip64 form");
  zip64.zip64 = true;
  auto layout =
      BuildZip({wrongCrc, garbage, shortData, bzip, encrypted, Entry("fine", "ok"), zip64});
  // Mark "garbage" as deflated in both headers (method field at +8 local, +10 central).
  const std::size_t garbageLocal = 30 + 3 + qeltest::Deflate(Text("payload")).size();
  layout.bytes[garbageLocal + 8] = 8;
  const std::size_t garbageCentral = layout.centralOffset + 46 + 3;
  layout.bytes[garbageCentral + 10] = 8;
  qeltest::WriteBytes(dir.File("bad.zip"), layout.bytes);
  ASSERT_TRUE(unzip.Open(dir.File("bad.zip").c_str()));
  std::vector<unsigned char> data;
  for (const char* name : {"crc", "garbage", "short", "bzip2", "secret", "z64"}) {
    EXPECT_FALSE(unzip.ReadFileData(name, data)) << name;
    EXPECT_TRUE(data.empty());
  }
  EXPECT_TRUE(unzip.ReadFileData("fine", data));
  EXPECT_EQ(unzip.GetEntries().at("z64").info.uncompressed_size, 10u) << "sizes from the field";
  EXPECT_FALSE(unzip.Unzip(dir.File("bad").c_str()));
  const auto corrupt = QelZipError::kCorruptData, unsupported = QelZipError::kUnsupported;
  EXPECT_EQ(Failures(unzip),
            (std::vector<std::string>{Failure("bzip2", unsupported), Failure("crc", corrupt),
                                      Failure("garbage", corrupt), Failure("secret", unsupported),
                                      Failure("short", corrupt), Failure("z64", unsupported)}));
  EXPECT_EQ(qeltest::ReadText(dir.File("bad/fine")), "ok");

  // An archive without entries (the end record alone, which the zip library cannot find) is
  // fine, from a file and from a stream; one byte more or less is not.
  const auto empty = BuildZip({}, "nothing here").bytes;
  qeltest::WriteBytes(dir.File("empty.zip"), empty);
  ASSERT_TRUE(unzip.Open(dir.File("empty.zip").c_str()));
  EXPECT_FALSE(unzip.IsDamaged());
  EXPECT_TRUE(unzip.GetEntries().empty());
  EXPECT_TRUE(unzip.GetGlobalComment(comment));
  EXPECT_EQ(comment, "nothing here");
  EXPECT_FALSE(unzip.ReadFileData("x", data));
  EXPECT_TRUE(unzip.Unzip(dir.File("e").c_str()));
  IStream* stream = SHCreateMemStream(empty.data(), static_cast<UINT>(empty.size()));
  EXPECT_TRUE(unzip.Open(stream));
  stream->Release();
  for (std::size_t size : {empty.size() - 1, empty.size() + 1}) {
    auto wrong = empty;
    wrong.resize(size, 'x');
    qeltest::WriteBytes(dir.File("wrong.zip"), wrong);
    EXPECT_FALSE(unzip.Open(dir.File("wrong.zip").c_str())) << size;
  }
}

TEST(QelUnzip, ZipBombsFailWithBoundedMemory) {
  TempDir dir;
  // Declared sizes that the data does not back, up to 2^62 bytes in the zip64 form: trusting one
  // for an allocation would throw or exhaust memory.
  auto liar = Entry("liar", std::string(1000, 'L'));
  liar.declaredSize = 0xFFFFFFF0u;
  auto huge = Entry("huge", std::string(1000, 'H'));
  huge.zip64 = true;
  huge.declaredSize = 1ull << 62;
  // A real, honest 64 MiB of zeros: about 64 KiB deflated.
  auto zeros = Entry("zeros", "");
  zeros.data.assign(64u << 20, 0);
  // Three directory records sharing one entry's data: each would inflate the same bytes again.
  auto kernel = Entry("k1", std::string(100000, 'K'));
  auto copy2 = Entry("k2", ""), copy3 = Entry("k3", "");
  copy2.shareDataOf = copy3.shareDataOf = 3;
  const std::string path = WriteZip(dir, {liar, huge, zeros, kernel, copy2, copy3});

  CQelUnzip unzip;
  ASSERT_TRUE(unzip.Open(path.c_str()));
  unzip.SetReadLimit(~0ull);
  std::vector<unsigned char> data;
  EXPECT_FALSE(unzip.ReadFileData("liar", data));
  EXPECT_FALSE(unzip.ReadFileData("huge", data));
  EXPECT_TRUE(data.empty());
  unzip.SetReadLimit(1u << 20);
  EXPECT_FALSE(unzip.ReadFileData("zeros", data)) << "64 MiB is past a 1 MiB limit";
  EXPECT_FALSE(unzip.ReadFileData("k1", data, (1u << 20) - 99999)) << "extra counts too";
  EXPECT_TRUE(unzip.ReadFileData("k1", data, (1u << 20) - 100000));
  unzip.SetReadLimit(128u << 20);
  ASSERT_TRUE(unzip.ReadFileData("zeros", data));
  EXPECT_EQ(data.size(), 64u << 20);

  const std::string out = dir.File("out");
  EXPECT_FALSE(unzip.Unzip(out.c_str()));
  const auto overlap = QelZipError::kOverlapping, corrupt = QelZipError::kCorruptData;
  EXPECT_EQ(Failures(unzip),
            (std::vector<std::string>{Failure("huge", QelZipError::kUnsupported),
                                      Failure("k1", overlap), Failure("k2", overlap),
                                      Failure("k3", overlap), Failure("liar", corrupt)}));
  EXPECT_EQ(fs::file_size(out + "/liar"), 1000u) << "never more than the data yields";
  EXPECT_FALSE(fs::exists(out + "/k1"));
  EXPECT_EQ(fs::file_size(out + "/zeros"), 64u << 20);
}

}  // namespace
