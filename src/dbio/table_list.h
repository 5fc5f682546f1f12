// Which record files of a model are present, how big they are and what stamp they carry: the rows
// `qeldb tables` prints and the Python bindings return, built in one place so both agree.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

class CDBIO;

namespace qel {

struct TableListing {
  std::string ext;
  unsigned long long bytes = 0;
  std::optional<int> records;  // whole records at the current size; empty: misaligned/unreadable
  bool unreadable = false;     // another program holds the file open for writing
  std::optional<unsigned long> stamp;  // stamp of record 0 of a versioned table
};

// One row per catalogued table whose file "<database name>.<ext>" exists, in catalogue order. A
// folder under a table's name is no table: it is left out and handed to `folder` (when given).
std::vector<TableListing> ListTables(CDBIO& db,
                                     const std::function<void(const std::string&)>& folder = {});

// A stamp as "major.minor.patch".
std::string StampText(unsigned long stamp);

}  // namespace qel
