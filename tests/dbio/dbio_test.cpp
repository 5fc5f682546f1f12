// The database frame: record primitives over files and over a memory read buffer, file utilities,
// version stamps, rounding, copy semantics and share modes (which CFile's own tests hold across
// processes).
#include "dbio/dbio.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "dbio_model.h"
#include "golden_bytes.h"
#include "platform/cfile.h"

namespace {

using namespace qeltest;
using Bytes = std::vector<unsigned char>;
using DatabaseFrame = ModelTest;

TEST_F(DatabaseFrame, ReadDBFromFiles) {
  WriteBytes(base_ + ".sty", Pattern(3, 20));

  Bytes buf(40, 0xEE);
  EXPECT_EQ(db_.ReadDB("sty", buf.data(), 20, 1, 2), 1);
  EXPECT_EQ(buf, Pattern(2, 20, 1));

  // Zero records: done from an existing file, not done from a missing one.
  EXPECT_EQ(db_.ReadDB("sty", buf.data(), 20, 0, 0), 1);
  EXPECT_EQ(db_.ReadDB("flt", buf.data(), 20, 0, 0), 0);
  EXPECT_EQ(db_.ReadDB("flt", buf.data(), 20, 0, 1), 0);

  // A short file: not done, and what did arrive stays in the buffer.
  Bytes big(80, 0xEE);
  EXPECT_EQ(db_.ReadDB("sty", big.data(), 20, 1, 4), 0);
  EXPECT_TRUE(std::equal(big.begin(), big.begin() + 40, Pattern(2, 20, 1).begin()));
  EXPECT_EQ(big[40], 0xEE);
  EXPECT_EQ(db_.ReadDB("sty", big.data(), 20, 3, 1), 0) << "start at the end of the file";

  // Null buffers and arguments no table can mean.
  EXPECT_EQ(db_.ReadDB("sty", nullptr, 20, 0, 1), 0);
  EXPECT_EQ(db_.ReadDB("sty", buf.data(), 20, -1, 1), 0);
  EXPECT_EQ(db_.ReadDB("sty", buf.data(), 20, 0, -1), 0);
  EXPECT_EQ(db_.ReadDB("sty", buf.data(), -20, 0, 1), 0);
  EXPECT_EQ(db_.ReadDB("sty", buf.data(), INT_MAX, LONG_MAX / 2, 1), 0) << "offset overflows";
  EXPECT_EQ(db_.ReadDB(nullptr, buf.data(), 20, 0, 1), 0);
}

TEST_F(DatabaseFrame, WriteDBPlacesExtendsAndTruncates) {
  const std::string path = base_ + ".b3d";

  // Creating a file.
  Bytes two = Pattern(2, 8);
  EXPECT_EQ(db_.WriteDB("b3d", two.data(), 8, 0, 2, 0), 1);
  EXPECT_EQ(ReadBytes(path), two);

  // Start 5 on a file of 2 records: 6 records, the gap zero, the first two kept.
  Bytes one = Pattern(1, 8, 9);
  EXPECT_EQ(db_.WriteDB("b3d", one.data(), 8, 5, 1, 0), 1);
  Bytes expected = two;
  expected.resize(40, 0);
  expected.insert(expected.end(), one.begin(), one.end());
  EXPECT_EQ(ReadBytes(path), expected);
  EXPECT_EQ(db_.GetRecordCount("b3d", 8), 6);

  // Overwriting in the middle without truncation keeps the rest.
  EXPECT_EQ(db_.WriteDB("b3d", one.data(), 8, 1, 1, 0), 1);
  std::copy(one.begin(), one.end(), expected.begin() + 8);
  EXPECT_EQ(ReadBytes(path), expected);

  // Truncate with records: only the new records remain.
  EXPECT_EQ(db_.WriteDB("b3d", one.data(), 8, 0, 1, 1), 1);
  EXPECT_EQ(ReadBytes(path), one);

  // Truncate with zero records clears the table to an empty file.
  EXPECT_EQ(db_.WriteDB("b3d", one.data(), 8, 0, 0, 1), 1);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  EXPECT_EQ(db_.GetRecordCount("b3d", 8), 0);

  // A null buffer touches no file.
  EXPECT_EQ(db_.WriteDB("c3d", nullptr, 8, 0, 1, 1), 0);
  EXPECT_FALSE(std::filesystem::exists(base_ + ".c3d"));
  EXPECT_EQ(db_.WriteDB("c3d", one.data(), 8, -1, 1, 0), 0);
  EXPECT_FALSE(std::filesystem::exists(base_ + ".c3d"));

  // A folder that does not exist: not done, no crash.
  TestDB lost(CString(dir_.File("no/such/m")), nullptr);
  EXPECT_EQ(lost.WriteDB("b3d", one.data(), 8, 0, 1, 1), 0);
}

TEST_F(DatabaseFrame, GetRecordCountAndFileUtilities) {
  WriteBytes(base_ + ".lod", Pattern(5, 20));
  EXPECT_EQ(db_.GetRecordCount("lod", 20), 5);
  EXPECT_EQ(db_.GetRecordCount("lod", 30), -2);
  EXPECT_EQ(db_.GetRecordCount("lod", 0), -2);
  EXPECT_EQ(db_.GetRecordCount("pld", 20), -1);

  EXPECT_NE(db_.DoesFileExist(CString(base_), "lod"), 0);
  EXPECT_EQ(db_.DoesFileExist(CString(base_), "pld"), 0);
  // The utilities take their own base, not the object's name.
  CDBIO other(CString(dir_.File("elsewhere")), nullptr);
  EXPECT_NE(other.DoesFileExist(CString(base_), "lod"), 0);

  other.EmptyFile(CString(base_), "lod");
  EXPECT_EQ(std::filesystem::file_size(base_ + ".lod"), 0u);
  try {
    other.EmptyFile(CString(base_), "pld");
    ADD_FAILURE() << "EmptyFile of a missing file must throw";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
  }
  EXPECT_FALSE(std::filesystem::exists(base_ + ".pld")) << "EmptyFile never creates";

  // Backslashes in the database name reach the same file.
  std::string windowsStyle = base_;
  for (auto& c : windowsStyle)
    if (c == '/') c = '\\';
  WriteBytes(base_ + ".sty", Pattern(2, 4));
  TestDB backslashed(CString(windowsStyle), nullptr);
  EXPECT_EQ(backslashed.GetRecordCount("sty", 4), 2);
  Bytes buf(8);
  EXPECT_EQ(backslashed.ReadDB("sty", buf.data(), 4, 0, 2), 1);
  EXPECT_EQ(buf, Pattern(2, 4));
}

TEST_F(DatabaseFrame, MemoryReadBufferStandsForEveryTable) {
  WriteBytes(base_ + ".sty", Pattern(2, 20, 7));
  Bytes mem = Pattern(5, 20);  // 100 bytes
  db_.SetMemoryReadBuffer(&mem);

  EXPECT_EQ(db_.GetRecordCount("sty", 20), 5) << "the buffer, not the 2-record file";
  EXPECT_EQ(db_.GetRecordCount("nonexistent", 20), 5) << "extension ignored";
  EXPECT_EQ(db_.GetRecordCount("sty", 30), -2);

  Bytes buf(40, 0xEE);
  EXPECT_EQ(db_.ReadDB("whatever", buf.data(), 20, 3, 2), 1);
  EXPECT_EQ(buf, Pattern(2, 20, 3));
  EXPECT_EQ(db_.ReadDB("sty", buf.data(), 20, 4, 2), 0);
  EXPECT_EQ(db_.ReadDB("sty", buf.data(), 20, 5, 0), 1) << "zero records at the very end";
  EXPECT_EQ(db_.ReadDB("sty", buf.data(), 20, 6, 0), 0);
  EXPECT_EQ(db_.ReadDB("sty", buf.data(), 20, LONG_MAX / 10, 1), 0) << "no overflow past checks";
  EXPECT_EQ(db_.ReadDB("sty", nullptr, 20, 0, 1), 0);

  // Writing ignores the buffer and goes to the file.
  Bytes rec = Pattern(1, 20, 42);
  EXPECT_EQ(db_.WriteDB("flt", rec.data(), 20, 0, 1, 1), 1);
  EXPECT_EQ(ReadBytes(base_ + ".flt"), rec);
  EXPECT_EQ(mem, Pattern(5, 20));

  // Removing the buffer returns to the files.
  db_.SetMemoryReadBuffer(nullptr);
  EXPECT_EQ(db_.GetRecordCount("sty", 20), 2);
  EXPECT_EQ(db_.ReadDB("sty", buf.data(), 20, 0, 2), 1);
  EXPECT_EQ(buf, Pattern(2, 20, 7));

  // An empty buffer holds no records but is still the table.
  Bytes empty;
  db_.SetMemoryReadBuffer(&empty);
  EXPECT_EQ(db_.GetRecordCount("sty", 20), 0);
  EXPECT_EQ(db_.ReadDB("sty", buf.data(), 20, 0, 1), 0);
}

TEST_F(DatabaseFrame, ACopyReadsTheFilesAnAssignmentKeepsTheReadBuffer) {
  WriteBytes(base_ + ".sty", Pattern(2, 10));
  auto* units = reinterpret_cast<CUnits*>(0x1000);  // never dereferenced by the frame
  auto* mdf = reinterpret_cast<SMDF*>(0x2000);
  Bytes mem = Pattern(7, 10);
  TestDB a(units, CString(base_), mdf);
  a.SetMemoryReadBuffer(&mem);

  TestDB copy(a);
  EXPECT_EQ(copy.GetMemoryReadBuffer(), nullptr);
  EXPECT_EQ(copy.GetRecordCount("sty", 10), 2);
  EXPECT_EQ(copy.GetDBUnits(), units);
  EXPECT_EQ(copy.GetMDF(), mdf);

  TestDB assigned(nullptr);
  assigned = a;
  EXPECT_EQ(assigned.GetMemoryReadBuffer(), &mem);
  EXPECT_EQ(assigned.GetRecordCount("sty", 10), 7);
  EXPECT_EQ(assigned.GetDBUnits(), units);
  EXPECT_EQ(assigned.GetMDF(), mdf);

  TestDB named(CString("x"), mdf);
  named.SetInterfaceData(units, CString(base_));
  EXPECT_EQ(named.GetRecordCount("sty", 10), 2);
}

TEST_F(DatabaseFrame, VersionStampsAndRoundUp) {
  EXPECT_EQ(CDBIO::MakeVersion(17, 1, 0), 0x00110100ul);
  EXPECT_EQ(CDBIO::MakeVersion(15, 91, 0), 0x000F5B00ul);
  EXPECT_EQ(CDBIO::MakeVersion(14, 4, 2), 0x000E0402ul);
  EXPECT_EQ(CDBIO::MakeVersion(0xFFFF, 0xFF, 0xFF), 0xFFFFFFFFul);

  unsigned short major = 0;
  unsigned char minor = 0, patch = 0;
  qel::VersionAccess::Parse(0x000F5B00, major, minor, patch);
  EXPECT_EQ(major, 15);
  EXPECT_EQ(minor, 91);
  EXPECT_EQ(patch, 0);
  qel::VersionAccess::Parse(0x000C0001, major, minor, patch);
  EXPECT_EQ(major, 12);
  EXPECT_EQ(minor, 0);
  EXPECT_EQ(patch, 1);
  // Bits above the 32-bit stamp are not part of it.
  qel::VersionAccess::Parse(0x1234000E0301ul, major, minor, patch);
  EXPECT_EQ(major, 0x000E);
  EXPECT_EQ(minor, 3);
  EXPECT_EQ(patch, 1);

  EXPECT_EQ(CDBIO::RoundUp(5, 4), 8);
  EXPECT_EQ(CDBIO::RoundUp(8, 4), 8);
  EXPECT_EQ(CDBIO::RoundUp(0, 4), 0);
  EXPECT_EQ(CDBIO::RoundUp(-5, 4), 0);
  EXPECT_EQ(CDBIO::RoundUp(-9, 4), -4);
  EXPECT_EQ(CDBIO::RoundUp(7, 1), 7);
  EXPECT_EQ(CDBIO::RoundUp(1, 336), 336);
  EXPECT_EQ(CDBIO::RoundUp(5, 0), 0);
  EXPECT_EQ(CDBIO::RoundUp(5, -4), 0);
  EXPECT_EQ(CDBIO::RoundUp(INT_MAX, 2), 0) << "no int holds the answer";
  EXPECT_EQ(CDBIO::RoundUp(INT_MAX - 1, 2), INT_MAX - 1);
}

TEST_F(DatabaseFrame, ShareModesWithinOneProcess) {
  WriteBytes(base_ + ".sty", Pattern(2, 10));
  Bytes buf(20);
  {
    // Someone is writing the table: readers and writers are refused at once.
    CFile writer((base_ + ".sty").c_str(), CFile::modeReadWrite | CFile::shareExclusive);
    EXPECT_EQ(db_.ReadDB("sty", buf.data(), 10, 0, 2), 0);
    EXPECT_EQ(db_.WriteDB("sty", buf.data(), 10, 0, 2, 1), 0);
    try {
      db_.GetRecordCount("sty", 10);
      ADD_FAILURE() << "a count of a locked file must throw";
    } catch (const CFileException& e) {
      EXPECT_EQ(e.m_cause, CFileException::sharingViolation);
    }
    EXPECT_THROW(db_.EmptyFile(CString(base_), "sty"), CFileException);
  }
  EXPECT_EQ(ReadBytes(base_ + ".sty"), Pattern(2, 10)) << "refused writes destroyed nothing";
  {
    // Someone is reading: other readers go ahead, writers are refused.
    CFile reader((base_ + ".sty").c_str(), CFile::modeRead | CFile::shareDenyWrite);
    EXPECT_EQ(db_.ReadDB("sty", buf.data(), 10, 0, 2), 1);
    EXPECT_EQ(db_.GetRecordCount("sty", 10), 2);
    EXPECT_EQ(db_.WriteDB("sty", buf.data(), 10, 0, 0, 1), 0);
  }
  EXPECT_EQ(db_.WriteDB("sty", buf.data(), 10, 0, 0, 1), 1);
}

TEST_F(DatabaseFrame, PathsPastThePlatformLimitAreOpenedByTheirTruncatedCopy) {
  // The record file path is held in a buffer of the platform's path limit; a longer database
  // name names a file that reads cannot reach, and they report it as not done.
  std::string folder = dir_.File(std::string(200, 'd'));
  std::filesystem::create_directory(folder);
  const std::string base = folder + "/" + std::string(80, 'm');
  ASSERT_GT(base.size() + 4, static_cast<std::size_t>(MAX_PATH));
  WriteBytes(base + ".sty", Pattern(1, 10));
  TestDB db(CString(base), nullptr);
  EXPECT_EQ(db.GetRecordCount("sty", 10), 1);
  Bytes buf(10);
  EXPECT_EQ(db.ReadDB("sty", buf.data(), 10, 0, 1), 0);
}

}  // namespace
