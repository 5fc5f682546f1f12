// Reads arbitrary text as a section table, and each of its lines as a data line of every shape.
#include "tables/section_table.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tables/master_table.h"
#include "tables/property_table_map.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  CreatePropertyTableMapObject();
  std::string text(reinterpret_cast<const char*>(data), size);
  std::FILE* file = fmemopen(text.data(), text.size(), "r");
  if (!file) return 0;
  _MASTERTABLE* table = nullptr;
  int count = 0, capacity = 0, metric = 0;
  qel::ReadSectionTable(file, table, count, capacity, metric);
  std::fclose(file);
  if (count > capacity) std::abort();
  std::free(table);

  // The first line (up to a NUL) as a data line of each shape, in both unit systems.
  _MASTERTABLE record;
  for (int shape = 0; shape <= static_cast<int>(qel::SectionShape::kFlatBar); ++shape)
    for (bool m : {false, true})
      qel::ReadSectionLine(text.c_str(), static_cast<qel::SectionShape>(shape), m, record);
  return 0;
}
