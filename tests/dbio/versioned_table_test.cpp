// The shared reading pattern of versioned tables, with a record type made up for the test:
//   version 1.0.0 (16 bytes): int32 id at 0, stamp at 4, double value at 8
//   version 2.0.0 (24 bytes): the same, then a double factor at 16 that the upgrade sets to 1.5
// and the record catalogue that the real tables take their sizes and stamps from.
#include "dbio/versioned_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "dbio/dbio.h"
#include "dbio/record_catalogue.h"
#include "dbio_model.h"
#include "golden_bytes.h"

namespace {

using namespace qeltest;
using Bytes = std::vector<unsigned char>;
using VersionedTable = ModelTest;

constexpr unsigned long kV1 = 0x00010000, kV2 = 0x00020000;
constexpr int kOld = 16, kNew = 24;

int SizeForStamp(unsigned long stamp) { return stamp < kV2 ? kOld : kNew; }

struct UpgradeLog {
  int calls = 0;
  std::set<unsigned long> fileStamps;
};

void Upgrade(CDBIO&, unsigned char* record, unsigned long fileStamp, void* context) {
  double factor = 1.5;
  std::memcpy(record + 16, &factor, sizeof factor);
  if (context) {
    auto* log = static_cast<UpgradeLog*>(context);
    ++log->calls;
    log->fileStamps.insert(fileStamp);
  }
}

const qel::VersionedTable kTable{"tst", 4, kV2, kNew, SizeForStamp, Upgrade};

// Old records with ids first..first+n-1, values id * 10 + 0.25, all stamped `stamp`.
Bytes OldRecords(int n, unsigned long stamp = kV1) {
  Bytes b(static_cast<std::size_t>(n) * kOld);
  for (int i = 0; i < n; ++i) {
    PutI32(b, i * kOld + 0, 100 + i);
    PutU32(b, i * kOld + 4, stamp);
    PutF64(b, i * kOld + 8, (100 + i) * 10 + 0.25);
  }
  return b;
}

// The same records as they look once converted: stamp 2.0.0, factor 1.5.
Bytes NewRecords(int n, int first = 0) {
  Bytes b(static_cast<std::size_t>(n) * kNew);
  for (int i = 0; i < n; ++i) {
    PutI32(b, i * kNew + 0, 100 + first + i);
    PutU32(b, i * kNew + 4, kV2);
    PutF64(b, i * kNew + 8, (100 + first + i) * 10 + 0.25);
    PutF64(b, i * kNew + 16, 1.5);
  }
  return b;
}

TEST_F(VersionedTable, CurrentTablesAreReadAsTheyStand) {
  Bytes current = NewRecords(3);
  PutF64(current, 16, 7.0);  // a factor the upgrade would overwrite
  WriteBytes(base_ + ".tst", current);
  UpgradeLog log;
  Bytes buf(2 * kNew);
  EXPECT_EQ(db_.ReadVersionedTable(kTable, buf.data(), 2, 0, &log), 1);
  EXPECT_EQ(buf, Bytes(current.begin(), current.begin() + 2 * kNew));
  EXPECT_EQ(log.calls, 0);
  EXPECT_EQ(db_.GetVersionedRecordSize(kTable, 0xFFFFFFFF), kNew);
  EXPECT_EQ(ReadBytes(base_ + ".tst"), current);

  // A stamp newer than ours is read at the current size too.
  PutU32(current, 4, 0x00030000);
  WriteBytes(base_ + ".tst", current);
  EXPECT_EQ(db_.ReadVersionedTable(kTable, buf.data(), 2, 1, &log), 1);
  EXPECT_EQ(log.calls, 0);
}

TEST_F(VersionedTable, WholeOldTableIsConvertedInMemoryOnly) {
  const Bytes old = OldRecords(3);
  WriteBytes(base_ + ".tst", old);
  EXPECT_EQ(db_.GetVersionedRecordSize(kTable, 0xFFFFFFFF), kOld);
  EXPECT_EQ(db_.GetVersionedRecordSize(kTable, kV2), kNew);

  UpgradeLog log;
  Bytes buf(3 * kNew, 0xEE);  // stale bytes must not survive into the tails
  EXPECT_EQ(db_.ReadVersionedTable(kTable, buf.data(), 3, 0, &log), 1);
  EXPECT_EQ(buf, NewRecords(3));
  EXPECT_EQ(log.calls, 3);
  EXPECT_EQ(log.fileStamps, std::set<unsigned long>{kV1});
  EXPECT_EQ(ReadBytes(base_ + ".tst"), old) << "a whole-table read leaves the file alone";

  // The same from a memory read buffer, with no file at all.
  Bytes mem = old;
  TestDB fromMemory(CString(dir_.File("nothing")), nullptr);
  fromMemory.SetMemoryReadBuffer(&mem);
  Bytes buf2(3 * kNew, 0xEE);
  EXPECT_EQ(fromMemory.ReadVersionedTable(kTable, buf2.data(), 3, 0), 1);
  EXPECT_EQ(buf2, NewRecords(3));
}

TEST_F(VersionedTable, PartialReadConvertsTheFileOnDisk) {
  WriteBytes(base_ + ".tst", OldRecords(4));
  UpgradeLog log;
  Bytes buf(2 * kNew);
  EXPECT_EQ(db_.ReadVersionedTable(kTable, buf.data(), 2, 1, &log), 1);
  EXPECT_EQ(buf, NewRecords(2, 1));
  EXPECT_EQ(log.calls, 4) << "every record of the file is converted";
  EXPECT_EQ(ReadBytes(base_ + ".tst"), NewRecords(4)) << "the file now holds current records";

  // The next read sees a current table and converts nothing.
  log = {};
  EXPECT_EQ(db_.ReadVersionedTable(kTable, buf.data(), 2, 2, &log), 1);
  EXPECT_EQ(buf, NewRecords(2, 2));
  EXPECT_EQ(log.calls, 0);

  // As many records as the file holds but not from record 0 is a partial read too: the file is
  // converted, then the read from record 1 runs past its end.
  WriteBytes(base_ + ".tst", OldRecords(3));
  Bytes three(3 * kNew);
  EXPECT_EQ(db_.ReadVersionedTable(kTable, three.data(), 3, 1, &log), 0);
  EXPECT_EQ(ReadBytes(base_ + ".tst"), NewRecords(3));
}

TEST_F(VersionedTable, WriteBackWithoutRestamping) {
  // Some tables write their converted records back exactly as the upgrade left them, stamp
  // included.
  qel::VersionedTable staged = kTable;
  staged.restampOnWriteBack = false;
  staged.upgrade = [](CDBIO& db, unsigned char* record, unsigned long fileStamp, void* ctx) {
    Upgrade(db, record, fileStamp, ctx);
    const std::uint32_t intermediate = 0x00018000;
    std::memcpy(record + 4, &intermediate, 4);
  };
  WriteBytes(base_ + ".tst", OldRecords(2));
  Bytes buf(kNew);
  EXPECT_EQ(db_.ReadVersionedTable(staged, buf.data(), 1, 0), 1);
  Bytes expected = NewRecords(2);
  PutU32(expected, 4, 0x00018000);
  PutU32(expected, kNew + 4, 0x00018000);
  EXPECT_EQ(ReadBytes(base_ + ".tst"), expected);
  EXPECT_EQ(buf, Bytes(expected.begin(), expected.begin() + kNew));
}

TEST_F(VersionedTable, FallsBackToAPlainReadAndFailsCleanly) {
  Bytes buf(4 * kNew, 0xEE);

  // Missing file: the stamp cannot be read.
  EXPECT_EQ(db_.ReadVersionedTable(kTable, buf.data(), 1, 0), 0);
  EXPECT_EQ(db_.GetVersionedRecordSize(kTable, 0xFFFFFFFF), -1);

  // Fewer old records than asked: a plain read at the current size, which is short (3 * 16 = 48
  // bytes hold two current-size records, not four) and leaves the raw bytes; the file is not
  // touched.
  const Bytes three = OldRecords(3);
  WriteBytes(base_ + ".tst", three);
  UpgradeLog log;
  EXPECT_EQ(db_.ReadVersionedTable(kTable, buf.data(), 4, 0, &log), 0);
  EXPECT_EQ(Bytes(buf.begin(), buf.begin() + 48), three) << "raw bytes, no conversion";
  EXPECT_EQ(log.calls, 0);
  EXPECT_EQ(ReadBytes(base_ + ".tst"), three);

  // A length that is no whole number of old records: a plain read, nothing converted.
  Bytes ragged = OldRecords(3);
  ragged.resize(ragged.size() + 5, 0);
  WriteBytes(base_ + ".tst", ragged);
  EXPECT_EQ(db_.ReadVersionedTable(kTable, buf.data(), 1, 0, &log), 1);
  EXPECT_EQ(log.calls, 0);
  EXPECT_EQ(ReadBytes(base_ + ".tst"), ragged);

  // A null buffer converts nothing and writes nothing.
  WriteBytes(base_ + ".tst", three);
  EXPECT_EQ(db_.ReadVersionedTable(kTable, nullptr, 1, 1, &log), 0);
  EXPECT_EQ(db_.ReadVersionedTable(kTable, buf.data(), -1, 0, &log), 0);
  EXPECT_EQ(log.calls, 0);
  EXPECT_EQ(ReadBytes(base_ + ".tst"), three);

  // A stamp that maps to a record larger than the current one cannot be converted in place:
  // plain read, no overflow of the caller's records.
  qel::VersionedTable odd = kTable;
  odd.sizeForStamp = [](unsigned long) { return 1000; };
  EXPECT_EQ(db_.ReadVersionedTable(odd, buf.data(), 2, 0, &log), 1);
  EXPECT_EQ(log.calls, 0);
  odd.sizeForStamp = [](unsigned long) { return -1; };
  EXPECT_EQ(db_.ReadVersionedTable(odd, buf.data(), 2, 0, &log), 1);
  EXPECT_EQ(log.calls, 0);
  EXPECT_EQ(ReadBytes(base_ + ".tst"), three);
}

TEST(RecordCatalogue, DescribesEveryTableOnce) {
  // The rows themselves are data (record_catalogue.def); what holds for all of them is checked.
  std::set<std::string> exts;
  for (const auto& e : qel::RecordCatalogue()) {
    EXPECT_TRUE(exts.insert(e.ext).second) << "duplicate extension " << e.ext;
    for (const char* c = e.ext; *c; ++c) EXPECT_FALSE(*c >= 'A' && *c <= 'Z') << e.ext;
    EXPECT_TRUE(!*e.ext || qel::FindRecordFile(e.ext) == &e) << e.ext;
  }
  // The master data, grid-system and results files are not record files.
  EXPECT_EQ(qel::FindRecordFile("qel"), nullptr);
  EXPECT_EQ(qel::FindRecordFile("grs"), nullptr);
  EXPECT_EQ(qel::FindRecordFile(""), nullptr) << "the caller-named table is not found by name";
  EXPECT_EQ(qel::FindRecordFile("STY"), nullptr);
}

}  // namespace
