// Archive maps: item storage, unmapping bounds, and the byte array's own copies and moves (run
// under AddressSanitizer, so a double free or use after free fails here).
#include "mdf/archive_map.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

std::vector<BYTE> Bytes(const ArchiverDataItem& item) {
  return std::vector<BYTE>(item.m_data.begin(), item.m_data.end());
}

TEST(ArchiveMap, MapDataItemStoresACopyAndReplaces) {
  ArchiverDataMap map;
  BYTE source[4] = {1, 2, 3, 4};
  MapDataItem(map, "f", source, sizeof source, 0);
  source[0] = 99;  // the map holds its own copy
  ASSERT_EQ(map.size(), 1u);
  const ArchiverDataItem* item = qel::FindDataItem(map, "f");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->m_bLeaf, 1);
  EXPECT_EQ(Bytes(*item), (std::vector<BYTE>{1, 2, 3, 4}));
  EXPECT_TRUE(item->m_mapChildren.empty());

  // The array size has no effect on what is stored.
  double d = 2.5;
  MapDataItem(map, "g", &d, sizeof d, 80);
  EXPECT_EQ(qel::FindDataItem(map, "g")->m_data.GetSize(), 8);

  // Same name: the entry is replaced, and an outside holder of the old item keeps it intact.
  ArchiverDataItemPtr old = map.at("f");
  BYTE other[2] = {7, 8};
  MapDataItem(map, "f", other, sizeof other);
  EXPECT_EQ(map.size(), 2u);
  EXPECT_EQ(Bytes(*qel::FindDataItem(map, "f")), (std::vector<BYTE>{7, 8}));
  EXPECT_EQ(Bytes(*old), (std::vector<BYTE>{1, 2, 3, 4}));

  // Zero bytes, and a null source that must not be read.
  MapDataItem(map, "empty", nullptr, 0);
  EXPECT_EQ(qel::FindDataItem(map, "empty")->m_data.GetSize(), 0);
  MapDataItem(map, "zeros", nullptr, 3);
  EXPECT_EQ(Bytes(*qel::FindDataItem(map, "zeros")), (std::vector<BYTE>{0, 0, 0}));

  // MapStructItem replaces a field item of the same name with an empty struct item.
  qel::MapStructItem(map, "f");
  EXPECT_EQ(map.at("f")->m_bLeaf, 0);
  EXPECT_EQ(map.at("f")->m_data.GetSize(), 0);
}

TEST(ArchiveMap, UnMapCopiesAtMostTheSmallerSizeAndOnlyFromFieldItems) {
  ArchiverDataMap map;
  const BYTE six[6] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
  MapDataItem(map, "six", six, sizeof six);

  // Destination larger than stored: only the stored bytes are written, the rest keep their value.
  BYTE dest[8];
  std::memset(dest, 0xEE, sizeof dest);
  UnMapDataItem(map, "six", dest, sizeof dest);
  EXPECT_EQ(std::vector<BYTE>(dest, dest + 8),
            (std::vector<BYTE>{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0xEE, 0xEE}));

  // Destination smaller than stored: cut to the destination's size (guards sit beyond it).
  BYTE small[6];
  std::memset(small, 0xEE, sizeof small);
  UnMapDataItem(map, "six", small, 4);
  EXPECT_EQ(std::vector<BYTE>(small, small + 6),
            (std::vector<BYTE>{0x11, 0x22, 0x33, 0x44, 0xEE, 0xEE}));

  // Missing name, struct item, null destination: nothing is touched.
  BYTE untouched[4] = {9, 9, 9, 9};
  UnMapDataItem(map, "absent", untouched, sizeof untouched);
  ArchiverDataMap& children = qel::MapStructItem(map, "s");
  MapDataItem(children, "x", six, 4);
  UnMapDataItem(map, "s", untouched, sizeof untouched);
  EXPECT_EQ(std::vector<BYTE>(untouched, untouched + 4), (std::vector<BYTE>{9, 9, 9, 9}));
  UnMapDataItem(map, "six", nullptr, 6);

  // A struct item is found by name but its children are only reached through it.
  const ArchiverDataItem* s = qel::FindDataItem(map, "s");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->m_bLeaf, 0);
  UnMapDataItem(map, "x", untouched, sizeof untouched);
  EXPECT_EQ(untouched[0], 9);
  UnMapDataItem(s->m_mapChildren, "x", untouched, sizeof untouched);
  EXPECT_EQ(std::vector<BYTE>(untouched, untouched + 4),
            (std::vector<BYTE>{0x11, 0x22, 0x33, 0x44}));
}

TEST(ArchiveMap, ByteArrayKeepsItsBytesAcrossGrowthCopiesAndMoves) {
  // Across the inline-to-heap boundary, growth keeps the old bytes and zero-fills the new ones.
  ArchiverByteArray a;
  for (int i = 0; i < ArchiverByteArray::kInline; ++i) a.Add(static_cast<BYTE>(i + 1));
  a.SetSize(ArchiverByteArray::kInline + 3);
  ASSERT_EQ(a.GetSize(), ArchiverByteArray::kInline + 3);
  EXPECT_EQ(a.GetAt(ArchiverByteArray::kInline - 1), ArchiverByteArray::kInline);
  EXPECT_EQ(a.GetAt(ArchiverByteArray::kInline + 2), 0);
  // Shrinking and growing again must not bring back stale bytes.
  a.SetSize(1);
  a.SetSize(3);
  EXPECT_EQ(std::vector<BYTE>(a.begin(), a.end()), (std::vector<BYTE>{1, 0, 0}));
  EXPECT_THROW(a.GetAt(3), std::out_of_range);
  EXPECT_THROW(a.SetAt(-1, 0), std::out_of_range);

  for (int n : {3, 40}) {  // inline and heap storage
    ArchiverByteArray src;
    src.Assign(nullptr, n);
    src.SetAt(n - 1, 0x77);
    ArchiverByteArray copy(src);
    copy.SetAt(0, 0x11);
    EXPECT_EQ(src.GetAt(0), 0);
    ArchiverByteArray moved(std::move(copy));
    EXPECT_EQ(moved.GetSize(), n);
    EXPECT_EQ(moved.GetAt(0), 0x11);
    EXPECT_EQ(moved.GetAt(n - 1), 0x77);
    ArchiverByteArray target;
    target.Assign(src.GetData(), 2);
    target = std::move(moved);  // replaces (and frees) what target held
    EXPECT_EQ(target.GetAt(n - 1), 0x77);
    target = src;
    EXPECT_EQ(target.GetAt(0), 0);
    EXPECT_EQ(target.GetSize(), n);
    const ArchiverByteArray& alias = target;
    target = alias;  // assigning an array to itself keeps its bytes
    EXPECT_EQ(target.GetAt(n - 1), 0x77);
  }
}

}  // namespace
