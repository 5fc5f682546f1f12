// SMDF and MasterDataV1: map items checked against the documented byte offsets of the records,
// map -> unmap round trips, the unmap rules (partial copies, passed-over leaf items, old combo
// blocks) and an old binary image built byte by byte.
#include "mdf/smdf.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "golden_bytes.h"
#include "mdf/mdf_v1.h"
#include "test_support.h"

namespace {

using Bytes = std::vector<unsigned char>;
using namespace qeltest;

// Padding of SMDF (offset, length), from the documented field offsets and widths: every byte of
// the record not listed here belongs to exactly one field.
const std::pair<int, int> kSmdfPadding[] = {
    {33, 3},   {61, 3},   {403, 1},  {449, 3},  {531, 1},  {577, 3},  {1438, 2}, {1645, 3},
    {2729, 3}, {2865, 3}, {2988, 4}, {5060, 4}, {5244, 4}, {5388, 4}, {5468, 4}, {5548, 4},
    {5724, 4}, {5876, 4}, {5996, 4}, {6044, 4}, {6604, 4}, {6692, 4}, {6748, 4}, {6804, 4},
    {6916, 4}, {6932, 4}, {7028, 4}, {7268, 4}, {7780, 4}, {7804, 4}, {7844, 4}, {7884, 4},
    {8220, 4}, {8244, 4}, {8268, 4}, {8946, 2}, {8988, 4}, {9012, 4}, {9044, 4}, {9076, 4},
    {9148, 4}, {9172, 4}, {9290, 2}, {9300, 4}};

bool IsSmdfPadding(int offset) {
  for (auto [start, len] : kSmdfPadding)
    if (offset >= start && offset < start + len) return true;
  return false;
}

// A record whose every byte differs from its neighbours' and never equals `avoid`.
template <typename Record>
Record Patterned(unsigned char avoid) {
  Record r;
  auto* p = reinterpret_cast<unsigned char*>(&r);
  for (std::size_t i = 0; i < sizeof r; ++i) {
    unsigned char v = static_cast<unsigned char>((i * 7 + i / 251 + 1) % 251);
    p[i] = v == avoid ? static_cast<unsigned char>(v + 1) : v;
  }
  return r;
}

Bytes ItemBytes(const ArchiverDataItem& item) {
  return Bytes(item.m_data.GetData(), item.m_data.GetData() + item.m_data.GetSize());
}

// The item at a path of names, or null.
const ArchiverDataItem* Find(const ArchiverDataMap& map, std::initializer_list<const char*> path) {
  const ArchiverDataMap* m = &map;
  const ArchiverDataItem* item = nullptr;
  for (const char* name : path) {
    if (item != nullptr) m = &item->m_mapChildren;
    item = qel::FindDataItem(*m, name);
    if (item == nullptr) return nullptr;
  }
  return item;
}

Bytes Slice(const Bytes& b, int offset, int len) {
  return Bytes(b.begin() + offset, b.begin() + offset + len);
}

// A record filled with `fill` and unmapped from `map`.
SMDF Unmapped(const ArchiverDataMap& map, unsigned char fill) {
  SMDF out = Filled<SMDF>(fill);
  UnMapSMDF(map, out);
  return out;
}

TEST(SmdfLayout, MapItemsHoldTheBytesAtTheDocumentedOffsets) {
  const SMDF rec = Patterned<SMDF>(0);
  const Bytes image = ImageOf(rec);
  ArchiverDataMap map;
  MapSMDF(rec, map);

  // Leaf items: width and bytes taken from the documented offset of the raw record.
  struct Leaf {
    std::initializer_list<const char*> path;
    int offset, width;
  };
  // One leaf of each place the map takes bytes from (the table's static_asserts hold every
  // offset; these check the map against the documented layout): the record itself, records one
  // and three deep, and the elements of a record array. A field's kind makes no difference there.
  const Leaf leaves[] = {
      {{"CodeSelection"}, 32, 1},
      {{"ColorRef"}, 2044, 196},
      {{"JoistCriteria", "AltLoad", "NonuniLoad", "ShearName"}, 324 + 128 + 92, 33},
      {{"JoistCriteria", "AllowableRatio"}, 324 + 268, 4},
      {{"arHangerTrialGroups[1]", "arGroupNames"}, 7272 + 168 + 4, 144},
      {{"arHangerTrialGroups[2]", "dForRent"}, 7272 + 2 * 168 + 160, 8},
  };
  for (const Leaf& leaf : leaves) {
    const ArchiverDataItem* item = Find(map, leaf.path);
    std::string where = *(leaf.path.end() - 1);
    ASSERT_NE(item, nullptr) << where;
    EXPECT_EQ(item->m_bLeaf, 1) << where;
    EXPECT_EQ(ItemBytes(*item), Slice(image, leaf.offset, leaf.width)) << where;
  }

  // Record arrays are named per element: no group beyond index 2, no bare name.
  EXPECT_EQ(qel::FindDataItem(map, "arHangerTrialGroups[3]"), nullptr);
  EXPECT_EQ(qel::FindDataItem(map, "arHangerTrialGroups"), nullptr);
  EXPECT_EQ(qel::FindDataItem(map, "HangerTrialGroup"), nullptr);
}

TEST(SmdfLayout, MapReplacesItemsOfTheSameNameAndKeepsOthers) {
  ArchiverDataMap map;
  const unsigned char old[2] = {0xAB, 0xCD};
  MapDataItem(map, "Units", old, 2);
  MapDataItem(map, "NotAField", old, 2);
  qel::MapStructItem(map, "Version");
  const SMDF rec = Patterned<SMDF>(0);
  MapSMDF(rec, map);
  EXPECT_EQ(ItemBytes(*qel::FindDataItem(map, "Units")), Slice(ImageOf(rec), 104, 4));
  EXPECT_EQ(qel::FindDataItem(map, "Version")->m_bLeaf, 1);
  EXPECT_EQ(ItemBytes(*qel::FindDataItem(map, "NotAField")), Bytes({0xAB, 0xCD}));
}

TEST(SmdfRoundTrip, UnmapGivesBackEveryFieldAndLeavesPaddingAlone) {
  const SMDF rec = Patterned<SMDF>(0xEE);
  ArchiverDataMap map;
  MapSMDF(rec, map);
  // Names the record does not have, sorting next to and between its own, change nothing.
  const char* noise[] = {"",
                         "A",
                         "Unit",
                         "Units_",
                         "UnitsZ",
                         "Units\x01",
                         "ModelID\xff",
                         "arHangerTrialGroups",
                         "arHangerTrialGroups[",
                         "arHangerTrialGroups[0]x",
                         "zzz",
                         "\xff\xff"};
  for (const char* name : noise) MapDataItem(map, name, "\xEE\xEE\xEE\xEE\xEE\xEE\xEE\xEE", 8);
  MapDataItem(qel::MapStructItem(map, "ModRatio_"), "UseRatio", "\xEE\xEE\xEE\xEE", 4);
  const Bytes want = ImageOf(rec);
  const Bytes got = ImageOf(Unmapped(map, 0xEE));
  int restored = 0, padding = 0;
  for (int i = 0; i < static_cast<int>(sizeof(SMDF)); ++i) {
    if (IsSmdfPadding(i)) {
      EXPECT_EQ(got[i], 0xEE) << "padding byte " << i << " was written";
      ++padding;
    } else {
      ASSERT_EQ(got[i], want[i]) << "byte " << i << " not restored";
      ++restored;
    }
  }
  EXPECT_EQ(padding, 157);
  EXPECT_EQ(restored, 9304 - 157);
}

TEST(SmdfUnmap, PartialWideAbsentAndMisplacedItems) {
  ArchiverDataMap map;
  // 60 bytes of EuroCodeFactor fill the first 15 of its 21 values.
  std::vector<float> euro(15);
  for (int i = 0; i < 15; ++i) euro[i] = 1.5f + static_cast<float>(i);
  MapDataItem(map, "EuroCodeFactor", euro.data(), 60, 60);
  // An 8-byte Units is cut to the field's 4 bytes; its neighbour keeps its value.
  const unsigned char units[8] = {2, 0, 0, 0, 9, 9, 9, 9};
  MapDataItem(map, "Units", units, 8);
  // Field items under nested records' names are passed over, whatever their size.
  const SMDF other = Patterned<SMDF>(0x11);
  MapDataItem(map, "JoistCriteria", &other.JoistCriteria, sizeof other.JoistCriteria);
  MapDataItem(map, "arHangerTrialGroups[1]", &other.arHangerTrialGroups[1], 168);
  // A struct item under a leaf field's name copies nothing.
  MapDataItem(qel::MapStructItem(map, "Version"), "Version", "\1\2\3\4", 4);
  // Groups beyond index 2 are never read; inside a group, unknown names are ignored.
  ArchiverDataMap& g3 = qel::MapStructItem(map, "arHangerTrialGroups[3]");
  const BOOL on = 1;
  MapDataItem(g3, "bEnabled", &on, 4);
  ArchiverDataMap& g0 = qel::MapStructItem(map, "arHangerTrialGroups[0]");
  MapDataItem(g0, "bEnabled", &on, 4);
  MapDataItem(g0, "bSomethingNewer", &on, 4);
  // Inside a nested record a leaf is still a leaf: Girder's one field, nested two deep.
  const float girder = 7.25f;
  MapDataItem(qel::MapStructItem(qel::MapStructItem(map, "JoistCriteria"), "Girder"),
              "TolSpacingPointLoad", &girder, 4);

  const SMDF out = Unmapped(map, 0x33);
  const SMDF def = Filled<SMDF>(0x33);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(out.EuroCodeFactor[i], euro[i]) << i;
  for (int i = 15; i < 21; ++i) EXPECT_EQ(out.EuroCodeFactor[i], def.EuroCodeFactor[i]) << i;
  EXPECT_EQ(out.Units, 2);
  EXPECT_EQ(out.DefaultBeamFy, def.DefaultBeamFy);
  EXPECT_EQ(out.Version, def.Version);
  EXPECT_EQ(out.arHangerTrialGroups[0].bEnabled, 1);
  EXPECT_EQ(out.arHangerTrialGroups[0].bForRent1, def.arHangerTrialGroups[0].bForRent1);
  EXPECT_EQ(std::memcmp(&out.arHangerTrialGroups[1], &def.arHangerTrialGroups[1], 168), 0);
  EXPECT_EQ(std::memcmp(&out.arHangerTrialGroups[2], &def.arHangerTrialGroups[2], 168), 0);
  EXPECT_EQ(out.JoistCriteria.Girder.TolSpacingPointLoad, 7.25f);
  EXPECT_EQ(out.JoistCriteria.Girder.TolVarPointLoad, def.JoistCriteria.Girder.TolVarPointLoad);
  EXPECT_EQ(std::memcmp(&out.JoistCriteria.DefLoad, &def.JoistCriteria.DefLoad, 128), 0);

  // An empty map changes nothing at all.
  ArchiverDataMap empty;
  const Bytes before = ImageOf(def);
  EXPECT_EQ(ImageOf(Unmapped(empty, 0x33)), before);
}

TEST(SmdfUnmap, OldArchivesWithCombinationBlocksAsRawImages) {
  // 76-byte images laid out as documented: fValues f32[10] at 0, nComboBoxIndex at 40,
  // nNumVarsFor2 at 44, bCheckBoxArray at 48, bUseOnly at 58, nNumVarsFor5 at 72.
  Bytes concrete(76, 0);
  PutF32(concrete, 0, 1.25f);
  PutI32(concrete, 40, 3);
  PutI32(concrete, 44, 4);
  concrete[48] = 1;
  concrete[58] = 1;
  PutI32(concrete, 72, 5);
  Bytes soil(40, 0);  // shorter than a block: the rest of the block becomes zero
  PutF32(soil, 36, 9.5f);

  ArchiverDataMap map;
  MapDataItem(map, "cmbprmConcrete", concrete.data(), concrete.size());
  MapDataItem(map, "cmbprmSoil", soil.data(), soil.size());
  // A struct item among them is read the usual way, name by name.
  const int index = 8;
  MapDataItem(qel::MapStructItem(map, "cmbprmSteelStand"), "nComboBoxIndex", &index, 4);
  // cmbprmQELConcrete has no old form: a raw image under its name is passed over.
  MapDataItem(map, "cmbprmQELConcrete", concrete.data(), concrete.size());

  SMDF out = Unmapped(map, 0x44);
  const SMDF def = Filled<SMDF>(0x44);
  EXPECT_EQ(out.cmbprmConcrete.fValues[0], 1.25f);
  EXPECT_EQ(out.cmbprmConcrete.nComboBoxIndex, 3);
  EXPECT_EQ(out.cmbprmConcrete.nNumVarsFor2, 4);
  EXPECT_EQ(out.cmbprmConcrete.bCheckBoxArray[0], 1);
  EXPECT_EQ(out.cmbprmConcrete.bUseOnly, 1);
  EXPECT_EQ(out.cmbprmConcrete.nNumVarsFor5, 5);
  EXPECT_EQ(out.cmbprmSoil.fValues[9], 9.5f);
  EXPECT_EQ(out.cmbprmSoil.nComboBoxIndex, 0);
  EXPECT_EQ(out.cmbprmSoil.nNumVarsFor5, 0);
  EXPECT_EQ(out.cmbprmSteelStand.nComboBoxIndex, 8);
  EXPECT_EQ(out.cmbprmSteelStand.nNumVarsFor2, def.cmbprmSteelStand.nNumVarsFor2);
  EXPECT_EQ(std::memcmp(&out.cmbprmSteelSpecial, &def.cmbprmSteelSpecial, 76), 0);
  EXPECT_EQ(std::memcmp(&out.cmbprmQELConcrete, &def.cmbprmQELConcrete, 76), 0);

  // Only a raw cmbprmConcrete selects the old form: next to a struct item, raw blocks are
  // passed over like any field item under a nested record's name.
  ArchiverDataMap current;
  MapDataItem(qel::MapStructItem(current, "cmbprmConcrete"), "nComboBoxIndex", &index, 4);
  MapDataItem(current, "cmbprmSoil", concrete.data(), concrete.size());
  out = Unmapped(current, 0x44);
  EXPECT_EQ(out.cmbprmConcrete.nComboBoxIndex, 8);
  EXPECT_EQ(std::memcmp(&out.cmbprmSoil, &def.cmbprmSoil, 76), 0);
}

TEST(MasterDataV1, OldImageMapsIntoSmdfFieldsByName) {
  // An old record built byte by byte at its documented offsets: fields both records have with one
  // shape (the first, the unit system, one three records deep), fields whose old form is shorter
  // or laid out otherwise, and an old-only field. (Every old field reaching the map and the names
  // the tables share: EveryOldFieldIsMappedAndSharedNamesKeepTheirShape.)
  Bytes img(6152, 0);
  PutF32(img, 0, 15.02f);             // Version
  PutF64(img, 64, 123.0);             // CmpInit: only the old layout has it
  PutI32(img, 260, 1);                // Units
  PutF32(img, 480 + 128 + 84, 2.5f);  // JoistCriteria.AltLoad.NonuniLoad.MaxConcLoad
  PutI32(img, 2324, 1);               // ModRatio.UseRatio
  PutF32(img, 2324 + 24, 0.4f);       // ModRatio.RoofLT
  PutI32(img, 3000 + 60, 0x00FF00);   // FontBody.crColor
  std::memcpy(&img[3220], "ACI 318-99 concrete!", 20);  // cConcBldCode, 20 of 100 bytes
  for (int i = 0; i < 9; ++i) img[3728 + 44 + i] = static_cast<unsigned char>(i + 1);
  img[3728 + 53] = 1;            // cmbprmSoil.bUseOnly
  PutF32(img, 3728 + 60, 6.5f);  // cmbprmSoil.fLCaseSpc2

  MasterDataV1 v1;
  ASSERT_EQ(sizeof v1, img.size());
  std::memcpy(&v1, img.data(), img.size());
  ArchiverDataMap map;
  MapMasterDataV1(v1, map);
  // Fields only the current record has are absent, and so keep their defaults (an absent item
  // changes nothing: PartialWideAbsentAndMisplacedItems).
  EXPECT_EQ(qel::FindDataItem(map, "optFloorShell"), nullptr);
  EXPECT_EQ(qel::FindDataItem(map, "arHangerTrialGroups[0]"), nullptr);
  ASSERT_NE(qel::FindDataItem(map, "CmpInit"), nullptr);
  EXPECT_EQ(ItemBytes(*Find(map, {"cmbprmSoil", "bCheckBoxArray"})), Slice(img, 3772, 9));

  const SMDF out = Unmapped(map, 0x5A);
  const SMDF def = Filled<SMDF>(0x5A);
  EXPECT_EQ(out.Version, 15.02f);
  EXPECT_EQ(out.Units, 1);
  EXPECT_EQ(out.JoistCriteria.AltLoad.NonuniLoad.MaxConcLoad, 2.5f);
  EXPECT_EQ(out.ModRatio.UseRatio, 1);
  EXPECT_EQ(out.ModRatio.RoofLT, 0.4f);
  EXPECT_EQ(out.ModRatio.Partition, def.ModRatio.Partition);
  EXPECT_EQ(out.FontBody.crColor, 0x00FF00u);
  EXPECT_EQ(std::string(out.cConcBldCode, 20), "ACI 318-99 concrete!");
  EXPECT_EQ(out.cConcBldCode[20], def.cConcBldCode[20]);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(out.cmbprmSoil.bCheckBoxArray[i], i + 1);
  EXPECT_EQ(out.cmbprmSoil.bCheckBoxArray[9], def.cmbprmSoil.bCheckBoxArray[9]);
  EXPECT_EQ(out.cmbprmSoil.bUseOnly, 1);
  EXPECT_EQ(out.cmbprmSoil.fLCaseSpc2, 6.5f);
  EXPECT_EQ(out.cmbprmSoil.nNumVarsFor2, def.cmbprmSoil.nNumVarsFor2);
  // Old-only fields land nowhere.
  const Bytes got = ImageOf(out);
  for (std::size_t i = 0; i + 8 <= got.size(); ++i) {
    double d;
    std::memcpy(&d, &got[i], 8);
    ASSERT_NE(d, 123.0) << "CmpInit surfaced at " << i;
  }
}

TEST(MasterDataV1, EveryOldFieldIsMappedAndSharedNamesKeepTheirShape) {
  // Every byte of an old image except its padding reaches the map: map a patterned image,
  // unmap into a second old record through the same tables, compare.
  const MasterDataV1 v1 = Patterned<MasterDataV1>(0xEE);
  ArchiverDataMap map;
  MapMasterDataV1(v1, map);
  MasterDataV1 back = Filled<MasterDataV1>(0xEE);
  qel::UnMapRecord(qel::MasterDataV1Layout(), map, &back);
  const Bytes want = ImageOf(v1), got = ImageOf(back);
  int kept = 0;
  for (std::size_t i = 0; i < got.size(); ++i) {
    if (got[i] == 0xEE) {
      ++kept;
      continue;
    }
    ASSERT_EQ(got[i], want[i]) << i;
  }
  EXPECT_EQ(kept, 60);  // the old record's padding bytes
  // The names the two tables share: all but 51 old names are current ones.
  int unknown = 0;
  ArchiverDataMap current;
  MapSMDF(Filled<SMDF>(0), current);
  for (const auto& [name, item] : map) unknown += current.count(name) == 0;
  EXPECT_EQ(unknown, 51);
}

}  // namespace
