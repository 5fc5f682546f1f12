// The versioned tables that can be brought to the current layout, and the run that does it for
// `qeldb upgrade` and the Python module's Model.upgrade. Each table family registers its own
// entries from a file of its own (member_upgrades.cpp, deck_upgrades.cpp) with a static
// initialiser.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dbio/dbio.h"
#include "dbio/record_catalogue.h"
#include "model_tables.h"

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

// The record buffer a registered reader or writer is handed, as the table's record type.
template <class T>
T* As(void* records) {
  return static_cast<T*>(records);
}
// The registered tables, in upgrade order.
std::vector<TableUpgrade> TableUpgrades();
// The entry of table `ext`, or null when none is registered.
const TableUpgrade* FindTableUpgrade(const std::string& ext);

// Converts `image`, the `n` records of table `info` at the layout of `stamp`, through the table's
// reader in memory only -- as often as a table needs to reach the current layout -- into `n`
// current-size records; `stamp` becomes theirs. False when a read fails (image then unspecified).
bool ConvertInMemory(ModelDB& db, const qel::RecordFileInfo& info, const TableUpgrade& up, int n,
                     std::vector<unsigned char>& image, unsigned long& stamp);

// What became of one table.
struct UpgradeRow {
  std::string ext;
  std::optional<unsigned long> from, to;  // stamps of record 0 before and after
  std::optional<int> records;
  std::string error;  // empty when the table is current (or was made current)
  bool changed = false;
};

// Every versioned table the model has -- the registered ones in their order, then the others
// (reported as not upgradable when old) -- read whole through the library's readers and, unless
// `dryRun`, written back at the current layout; the previous bytes of each file changed are kept
// as FILE.bak and a table that fails is restored. The master data should be read into the
// database's record first: older walls take defaults from it. `progress(done, total)` after each
// table when given.
std::vector<UpgradeRow> UpgradeModel(ModelDB& db, bool dryRun,
                                     const std::function<void(long, long)>& progress = {});

// The rows as `qeldb upgrade --json` prints them: {ext, from, to, records}.
Json UpgradeJson(const std::vector<UpgradeRow>& rows);

}  // namespace qeldb
