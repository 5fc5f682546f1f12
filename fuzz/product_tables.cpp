// Reads arbitrary bytes as each vendor's binary product table: the two brace tables (appended to
// a master table that already holds records) and the SidePlate connection records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tables/brace_tables.h"
#include "tables/property_table_map.h"
#include "tables/sideplate_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CreatePropertyTableMapObject();
  _MASTERTABLE* table = nullptr;
  int count = 0, capacity = 0;
  // Start from a table with a few records in it, as after reading a section table.
  void* grown = nullptr;
  if (!GrowMasterTableIfNeeded(&grown, 3, &capacity)) return 0;
  table = static_cast<_MASTERTABLE*>(grown);
  count = 3;
  for (auto vendor : {qel::BraceVendor::kCoreBrace, qel::BraceVendor::kStarSeismic}) {
    qel::ClearBraceProducts(vendor);
    qel::AppendBraceProducts(vendor, data, size, table, count, capacity);
    if (count > capacity) std::abort();
  }
  std::vector<unsigned char> record(kCoreBraceRecordSize);
  for (int i = 3; i < count; ++i) {
    GetCoreBraceRecord(table[i].szName, record.data());
    GetStarSeismicRecord(table[i].szName, record.data());
  }
  std::free(table);

  std::vector<SSideplateRecord> records;
  if (qel::ParseSideplateRecords(data, size, records) &&
      records.size() * sizeof(SSideplateRecord) != size)
    std::abort();
  return 0;
}
