// Decks and deck properties: old layouts converted on reading, the stamps writers give, and the
// property names decks resolve to through the caches. Files are built byte by byte from the
// record layouts.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dbio/dbio.h"
#include "dbio_model.h"
#include "golden_bytes.h"

namespace {

using namespace qeltest;
using Bytes = std::vector<unsigned char>;
using DeckData = ModelTest;
using DeckProp = ModelTest;
using ConcAndNonCompDeckProps = ModelTest;
using DeckPropName = ModelTest;

constexpr unsigned long k120 = 0x000C0000, k131 = 0x000D0100, k140 = 0x000E0000, k145 = 0x000E0500,
                        k155 = 0x000F0500;

// Deck records of `size` bytes: property index 10 + i at 12, kind 2 at 20, a marker byte 0x40 + i
// at 0, and `stamp` at 32 when the record is long enough to hold it.
Bytes Decks(int n, int size, unsigned long stamp) {
  Bytes b(static_cast<std::size_t>(n) * size);
  for (int i = 0; i < n; ++i) {
    const std::size_t r = static_cast<std::size_t>(i) * size;
    b[r] = static_cast<unsigned char>(0x40 + i);
    PutI32(b, r + 12, 10 + i);
    PutI32(b, r + 20, 2);
    PutU32(b, r + 32, stamp);
  }
  return b;
}

TEST_F(DeckData, OldRecordsAreWidenedInMemoryOnly) {
  const Bytes old = Decks(3, 36, k120);
  WriteBytes(base_ + ".dec", old);
  EXPECT_EQ(db_.GetDeckRecordSize(0xFFFFFFFF), 36);

  // Any range is converted, whatever the file holds besides; the file stays as it was.
  SDECKS decks[2];
  std::memset(decks, 0xEE, sizeof decks);
  ASSERT_TRUE(db_.ReadDeckData(decks, 2, 1));
  Bytes expected = Decks(2, 40, k131);
  for (int i = 0; i < 2; ++i) {
    expected[i * 40] = static_cast<unsigned char>(0x41 + i);
    PutI32(expected, i * 40 + 12, 11 + i);
  }
  EXPECT_EQ(ImageOf(decks), expected) << "bytes 36 to 39 must be zero";
  EXPECT_EQ(ReadBytes(base_ + ".dec"), old);

  // Running off the end fails at the first missing record; the ones before stay converted.
  std::memset(decks, 0xEE, sizeof decks);
  EXPECT_FALSE(db_.ReadDeckData(decks, 2, 2));
  EXPECT_EQ(decks[0].nDeckPropIndex, 12);
  EXPECT_EQ(decks[0].dwVersion, k131);
  EXPECT_FALSE(db_.ReadDeckData(nullptr, 1, 0));

  // A current table is read as it stands.
  const Bytes current = Decks(2, 40, k131);
  WriteBytes(base_ + ".dec", current);
  ASSERT_TRUE(db_.ReadDeckData(decks, 2, 0));
  EXPECT_EQ(ImageOf(decks), current);
  EXPECT_FALSE(CDBIO(CString(dir_.File("none")), nullptr).ReadDeckData(decks, 1, 0));
}

// Zero records of `size` bytes carrying `stamps` at `offset`.
Bytes Stamped(int size, int offset, const std::vector<unsigned long>& stamps) {
  Bytes b(stamps.size() * size);
  for (std::size_t i = 0; i < stamps.size(); ++i) PutU32(b, i * size + offset, stamps[i]);
  return b;
}

TEST_F(DeckData, WritersStampAsTheirTableRequires) {
  // Decks and composite properties: every record gets the current stamp.
  SDECKS decks[2] = {};
  decks[1].dwVersion = 0x00110000;
  ASSERT_EQ(db_.WriteDeckData(decks, 2, 0, 1), 1);
  EXPECT_EQ(ReadBytes(base_ + ".dec"), Stamped(40, 32, {k131, k131}));
  SDECKPROP prop = {};
  prop.dwVersion = 0x00120000;
  ASSERT_EQ(db_.WriteDeckProp(&prop, 1, 0, 1), 1);
  EXPECT_EQ(ReadBytes(base_ + ".dpt"), Stamped(368, 108, {k155}));
  // Concrete and non-composite properties: only unstamped records are stamped.
  SCONCDECKPROP conc[2] = {};
  conc[1].dwVersion = 0x00100000;
  ASSERT_EQ(db_.WriteConcDeckProp(conc, 2, 0, 1), 1);
  EXPECT_EQ(ReadBytes(base_ + ".cdp"), Stamped(224, 0, {k155, 0x00100000}));
  SNONCOMPDECKPROP non[2] = {};
  non[0].dwVersion = 0x00130000;
  ASSERT_EQ(db_.WriteNonCompDeckProp(non, 2, 0, 1), 1);
  EXPECT_EQ(ReadBytes(base_ + ".ndp"), Stamped(208, 0, {0x00130000, k155}));
  EXPECT_EQ(db_.WriteConcDeckProp(nullptr, 2, 0, 1), 0);
}

// Composite properties of the 256-byte layout stamped `stamp`, named `names`, with junk in the
// integer at 140 that the upgrade must clear.
Bytes OldDeckProps(const std::vector<std::string>& names, unsigned long stamp) {
  Bytes b(names.size() * 256);
  for (std::size_t i = 0; i < names.size(); ++i) {
    PutText(b, i * 256 + 68, names[i]);
    PutU32(b, i * 256 + 108, stamp);
    PutI32(b, i * 256 + 140, 77);
    PutText(b, i * 256 + 156, "old display");
  }
  return b;
}

// The same record in the 368-byte layout once converted.
Bytes ConvertedDeckProp(const std::string& name, const std::string& display) {
  Bytes b(368);
  PutText(b, 68, name);
  PutU32(b, 108, k155);
  PutText(b, 156, display);
  for (int k = 0; k < 6; ++k) PutF64(b, 256 + 8 * k, 1.0);
  return b;
}

TEST_F(DeckProp, OldTablesGetNumberedDisplayNames) {
  const Bytes old = OldDeckProps({"Deck", "Deck", "", "Roof", ""}, k140);
  WriteBytes(base_ + ".dpt", old);
  EXPECT_EQ(db_.GetDeckPropRecordSize(0xFFFFFFFF), 256);

  // The whole table: converted in memory, the file untouched.
  SDECKPROP props[5];
  ASSERT_EQ(db_.ReadDeckProp(props, 5, 0), 1);
  const char* display[] = {"Deck", "Deck 2", "1", "Roof", "2"};
  const char* names[] = {"Deck", "Deck", "", "Roof", ""};
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(ImageOf(props[i]), ConvertedDeckProp(names[i], display[i])) << i;
  EXPECT_EQ(ReadBytes(base_ + ".dpt"), old);

  // Part of the table: the whole file is converted on disk, numbering over all its records.
  SDECKPROP one;
  ASSERT_EQ(db_.ReadDeckProp(&one, 1, 4), 1);
  EXPECT_STREQ(one.szDisplayName, "2");
  Bytes all;
  for (int i = 0; i < 5; ++i) {
    Bytes r = ConvertedDeckProp(names[i], display[i]);
    all.insert(all.end(), r.begin(), r.end());
  }
  EXPECT_EQ(ReadBytes(base_ + ".dpt"), all);

  // From 14.5.0 on the display names are the file's own.
  WriteBytes(base_ + ".dpt", OldDeckProps({"Deck", "Deck"}, k145));
  ASSERT_EQ(db_.ReadDeckProp(props, 2, 0), 1);
  EXPECT_EQ(ImageOf(props[1]), ConvertedDeckProp("Deck", "old display"));
}

TEST_F(ConcAndNonCompDeckProps, OldRecordsAreConvertedInPlace) {
  Bytes conc(3 * 104), non(2 * 64);
  for (int i = 0; i < 3; ++i) PutText(conc, i * 104 + 84, "C" + std::to_string(i));
  for (int i = 0; i < 2; ++i) PutText(non, i * 64 + 44, "N" + std::to_string(i));
  PutU32(conc, 0, 0x000E0000);
  PutU32(non, 0, 0x000E0000);
  WriteBytes(base_ + ".cdp", conc);
  WriteBytes(base_ + ".ndp", non);
  EXPECT_EQ(db_.GetConcDeckPropRecordSize(0xFFFFFFFF), 104);
  EXPECT_EQ(db_.GetNonCompDeckPropRecordSize(0xFFFFFFFF), 64);

  SCONCDECKPROP c[2];
  std::memset(c, 0xEE, sizeof c);
  ASSERT_EQ(db_.ReadConcDeckProp(c, 2, 1), 1);
  Bytes expected(224);
  PutU32(expected, 0, k155);
  PutText(expected, 84, "C2");
  for (int k = 0; k < 6; ++k) PutF64(expected, 136 + 8 * k, 1.0);
  EXPECT_EQ(ImageOf(c[1]), expected);
  EXPECT_EQ(ReadBytes(base_ + ".cdp"), conc) << "never rewritten";

  SNONCOMPDECKPROP n[3];
  std::memset(n, 0xEE, sizeof n);
  EXPECT_EQ(db_.ReadNonCompDeckProp(n, 3, 0), 0) << "the third record is missing";
  expected.assign(208, 0);
  PutU32(expected, 0, k155);
  PutText(expected, 44, "N1");
  for (int k = 0; k < 6; ++k) PutF64(expected, 96 + 8 * k, 1.0);
  EXPECT_EQ(ImageOf(n[1]), expected);
}

// One composite, one non-composite and one concrete property table for the model `base`.
void WritePropertyTables(const std::string& base) {
  Bytes dpt(2 * 368), ndp(208), cdp(2 * 224);
  for (int i = 0; i < 2; ++i) {
    PutU32(dpt, i * 368 + 108, k155);
    PutText(dpt, i * 368 + 68, "raw");
    PutText(dpt, i * 368 + 156, "Composite " + std::to_string(i));
    PutU32(cdp, i * 224, k155);
    PutText(cdp, i * 224 + 84, "Slab " + std::to_string(i));
  }
  PutU32(ndp, 0, k155);
  PutText(ndp, 44, "Metal deck");
  WriteBytes(base + ".dpt", dpt);
  WriteBytes(base + ".ndp", ndp);
  WriteBytes(base + ".cdp", cdp);
}

SDECKS Deck(int kind, int index) {
  SDECKS d = {};
  d.nDeckKind = kind;
  d.nDeckPropIndex = index;
  return d;
}

TEST_F(DeckPropName, ResolvesThroughCachesThatAreNeverRefreshed) {
  WritePropertyTables(base_);
  EXPECT_EQ(db_.GetDeckPropName(Deck(0, 1)), "Composite 1") << "the display name";
  EXPECT_EQ(db_.GetDeckPropName(Deck(1, 0)), "Metal deck");
  EXPECT_EQ(db_.GetDeckPropName(Deck(2, 0)), "Slab 0");
  EXPECT_EQ(db_.GetDeckPropName(Deck(2, 2)), "");
  EXPECT_EQ(db_.GetDeckPropName(Deck(2, -1)), "");
  EXPECT_EQ(db_.GetDeckPropName(Deck(3, 0)), "");

  // The tables change on disk: this object keeps answering from what it read.
  std::remove((base_ + ".dpt").c_str());
  Bytes cdp(224);
  PutU32(cdp, 0, k155);
  PutText(cdp, 84, "Changed");
  WriteBytes(base_ + ".cdp", cdp);
  EXPECT_EQ(db_.GetDeckPropName(Deck(0, 0)), "Composite 0");
  EXPECT_EQ(db_.GetDeckPropName(Deck(2, 0)), "Slab 0");

  // An assigned object carries the caches over; a copy-constructed one reads afresh.
  CDBIO assigned(nullptr);
  assigned = db_;
  EXPECT_EQ(assigned.GetDeckPropName(Deck(2, 1)), "Slab 1");
  CDBIO copied(db_);
  EXPECT_EQ(copied.GetDeckPropName(Deck(2, 0)), "Changed");
  EXPECT_EQ(copied.GetDeckPropName(Deck(2, 1)), "");
  EXPECT_EQ(copied.GetDeckPropName(Deck(0, 0)), "") << "the table is gone";

  // Missing and empty tables give empty names; an empty table is looked at again next time.
  WriteBytes(base_ + ".ndp", {});
  CDBIO fresh(CString(base_), nullptr);
  EXPECT_EQ(fresh.GetDeckPropName(Deck(1, 0)), "");
  Bytes ndp(208);
  PutU32(ndp, 0, k155);
  PutText(ndp, 44, "Later");
  WriteBytes(base_ + ".ndp", ndp);
  EXPECT_EQ(fresh.GetDeckPropName(Deck(1, 0)), "Later");
}

TEST_F(DeckPropName, NamesAreBoundedByTheirFields) {
  // A concrete name that fills its 20 bytes with no terminator stops at the field's end.
  Bytes cdp(224, 'x');
  PutU32(cdp, 0, k155);
  WriteBytes(base_ + ".cdp", cdp);
  EXPECT_EQ(db_.GetDeckPropName(Deck(2, 0)), std::string(20, 'x'));
}

}  // namespace
