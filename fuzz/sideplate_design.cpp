// Parses arbitrary bytes as a SidePlate design-methodology file (".sp2") and walks what loads.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "tables/sideplate_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qel::SidePlateDesignTables tables;
  if (qel::ParseSidePlateDesignTables(data, size, tables) != qel::Sp2Status::kOk) return 0;
  // Everything loaded came from the file's bytes: never more values than bytes.
  std::size_t values = 0;
  for (const auto& t : tables.tables) {
    values += t.rowKeys.size();
    for (const auto& c : t.columns) values += c.values.size() + 1;
  }
  if (values > size) std::abort();
  if (tables.byId.size() != tables.tables.size()) std::abort();
  return 0;
}
