// Which record files of a model are present, how big they are and what stamp they carry: the rows
// `qeldb tables` prints and the Python module's Model.tables() returns.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model_tables.h"
#include "table_source.h"

namespace qeldb {

struct TableRow {
  std::string ext;
  unsigned long long bytes = 0;
  std::optional<int> records;  // whole records at the current size; empty: misaligned/unreadable
  bool unreadable = false;
  std::optional<unsigned long> stamp;
};

// One row per catalogued table whose MODEL.ext the source has, in catalogue order. A folder
// under a table's name is no table: it is left out and named in `directories`.
std::vector<TableRow> ListTables(CDBIO& db, TableSource& source,
                                 std::vector<std::string>& directories);

// The rows as `qeldb tables --json` prints them: {ext, bytes, records, stamp}.
Json TablesJson(const std::vector<TableRow>& rows);

}  // namespace qeldb
