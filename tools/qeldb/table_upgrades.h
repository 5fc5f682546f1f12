// The versioned tables `qeldb upgrade` knows how to read and write, one entry per table. Each
// table family registers its own entries from a file of its own (member_upgrades.cpp for the
// member tables), with a static initialiser as the commands do.
#pragma once

#include <vector>

#include "dbio/dbio.h"

namespace qeldb {

struct TableUpgrade {
  const char* ext;  // a versioned table of the record catalogue
  // Tables are upgraded in increasing order. Beams come last: converting an old beam table
  // recomputes elevations from the columns and walls, which should be current by then.
  int order;
  // The record size of a file whose records carry `stamp` (the library's size function).
  int (*recordSize)(CDBIO& db, unsigned long stamp);
  // Reads records [0, count) whole through the library's reader into `records` (count current-size
  // records); true when read.
  bool (*read)(CDBIO& db, void* records, int count);
  // Writes them back whole from record 0, replacing the file's contents; true when written.
  bool (*write)(CDBIO& db, void* records, int count);
};

// Always returns true.
bool RegisterTableUpgrade(const TableUpgrade& upgrade);
// The registered tables, in upgrade order.
std::vector<TableUpgrade> TableUpgrades();

}  // namespace qeldb
