#include "tables/brace_tables.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tables/property_table_map.h"
#include "tables/table_files.h"

namespace qel {
namespace {

struct BraceFormat {
  const char* tableName;
  const char* ext;
  std::size_t recordSize;
  std::size_t areaAt, thicknessAt, widthAt;
  char shape;
};
constexpr BraceFormat kFormats[] = {
    {"QELCoreBrace", "cbd", kCoreBraceRecordSize, 56, 32, 40, 'V'},
    {"QELStarSeismic", "ssd", kStarSeismicRecordSize, 24, 40, 48, 'S'},
};
constexpr std::size_t kNameAt = 8;
constexpr std::size_t kNameChars = 15;

const BraceFormat& Format(BraceVendor vendor) { return kFormats[static_cast<int>(vendor)]; }

using ProductMap = std::map<std::string, std::vector<unsigned char>>;
ProductMap& Products(BraceVendor vendor) {
  static ProductMap maps[2];
  return maps[static_cast<int>(vendor)];
}

double DoubleAt(const unsigned char* p) {
  double v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// A brace core is a solid plate b wide and t thick, loaded axially; its bending properties are
// the plate's.
void FillBraceRecord(const BraceFormat& f, const unsigned char* rec, _MASTERTABLE& m) {
  m = _MASTERTABLE{};
  const void* nul = std::memchr(rec + kNameAt, 0, kNameChars);
  const std::size_t nameLength =
      nul ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - (rec + kNameAt))
          : kNameChars;
  std::memcpy(m.szName, rec + kNameAt, nameLength);
  const double t = DoubleAt(rec + f.thicknessAt);
  const double b = DoubleAt(rec + f.widthAt);
  const double a = DoubleAt(rec + f.areaAt);
  const double ix = b * t * t * t / 12;
  const double iy = t * b * b * b / 12;
  m.fTfTop = static_cast<float>(t);
  m.fBfTop = static_cast<float>(b);
  m.fArea = static_cast<float>(a);
  m.fIx = static_cast<float>(ix);
  m.fSxTop = m.fSxBot = static_cast<float>(ix / (t / 2));
  m.fIy = static_cast<float>(iy);
  m.fSy = static_cast<float>(iy / (b / 2));
  m.fZx = static_cast<float>(b * t * t / 4);
  m.fZy = static_cast<float>(t * b * b / 4);
  m.fJ = 0.001f;
  m.fAvWeb = m.fAvFlange = static_cast<float>(5.0 / 6.0 * a);
  m.cShape = f.shape;
}

int ReadBraceTable(BraceVendor vendor, _MASTERTABLE*& table, const char* modelPath, int& count,
                   int& capacity, bool retryInTablesFolder) {
  const BraceFormat& f = Format(vendor);
  ClearBraceProducts(vendor);
  HANDLE h = OpenTableFile(f.tableName, modelPath, f.ext, 0);
  if (h == INVALID_HANDLE_VALUE && retryInTablesFolder && modelPath)
    h = OpenTableFile(f.tableName, nullptr, f.ext, 0);
  if (h == INVALID_HANDLE_VALUE) return 0;
  std::vector<unsigned char> bytes;
  if (!ReadTableHandle(h, bytes)) return 0;
  return AppendBraceProducts(vendor, bytes.data(), bytes.size(), table, count, capacity);
}

}  // namespace

int AppendBraceProducts(BraceVendor vendor, const unsigned char* data, std::size_t size,
                        _MASTERTABLE*& table, int& count, int& capacity) {
  const BraceFormat& f = Format(vendor);
  std::uint32_t tag = 0;
  if (!data || size < sizeof tag || size % f.recordSize != 0) return 0;
  std::memcpy(&tag, data, sizeof tag);
  if (tag != kProductTableTag) return 0;
  const std::size_t records = size / f.recordSize;
  // The records, and the 50 spare ones a grown table gets, must keep the count an int.
  if (count < 0 || count > INT_MAX - 50 || records > static_cast<std::size_t>(INT_MAX - 50 - count))
    return 0;
  const int needed = count + static_cast<int>(records);
  if (needed > capacity) {
    void* grown = table;
    if (!GrowMasterTableIfNeeded(&grown, needed, &capacity)) return 0;
    table = static_cast<_MASTERTABLE*>(grown);
  }
  ProductMap& products = Products(vendor);
  for (std::size_t i = 0; i < records; ++i) {
    const unsigned char* rec = data + i * f.recordSize;
    _MASTERTABLE& m = table[count];
    FillBraceRecord(f, rec, m);
    AddMapToSteelTable(m.szName, count);
    ++count;
    products.emplace(m.szName, std::vector<unsigned char>(rec, rec + f.recordSize));
  }
  return 1;
}

void ClearBraceProducts(BraceVendor vendor) { Products(vendor).clear(); }

namespace {
int GetProductRecord(BraceVendor vendor, const char* name, void* out) {
  if (!name || !out) return 0;
  const ProductMap& products = Products(vendor);
  const auto it = products.find(name);
  if (it == products.end()) return 0;
  std::memcpy(out, it->second.data(), it->second.size());
  return 1;
}
}  // namespace

}  // namespace qel

int CCoreBraceTable::ReadCoreBraceTable(_MASTERTABLE*& table, const char* modelPath, int& count,
                                        int& capacity) {
  return qel::ReadBraceTable(qel::BraceVendor::kCoreBrace, table, modelPath, count, capacity, true);
}

int CStarSeismicTable::ReadStarSeismicTable(_MASTERTABLE*& table, const char* modelPath, int& count,
                                            int& capacity) {
  return qel::ReadBraceTable(qel::BraceVendor::kStarSeismic, table, modelPath, count, capacity,
                             false);
}

int ReadCoreBraceTable(_MASTERTABLE*& table, const char* modelPath, int& count, int& capacity) {
  return CCoreBraceTable().ReadCoreBraceTable(table, modelPath, count, capacity);
}

int ReadStarSeismicTable(_MASTERTABLE*& table, const char* modelPath, int& count, int& capacity) {
  return CStarSeismicTable().ReadStarSeismicTable(table, modelPath, count, capacity);
}

int GetCoreBraceRecord(const char* name, void* out) {
  return qel::GetProductRecord(qel::BraceVendor::kCoreBrace, name, out);
}

int GetStarSeismicRecord(const char* name, void* out) {
  return qel::GetProductRecord(qel::BraceVendor::kStarSeismic, name, out);
}
