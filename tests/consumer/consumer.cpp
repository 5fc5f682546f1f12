// A program outside the project: links the installed library, looks up a string-table entry,
// walks the record catalogue, whose header needs C++20 (std::span), and reaches the exported data
// the suite's programs share (the default master data record and the master steel table).
#include <cstdio>

#include "dbio/record_catalogue.h"
#include "mdf/default_mdf.h"
#include "platform/resources.h"
#include "tables/master_table.h"
#include "tables/steel_design_tables.h"

int main() {
  CString text = qel::LoadResString(26405);
  std::printf("%s %zu\n", text.GetString(), qel::RecordCatalogue().size());
  // Nothing built yet: an empty table, and a zero default record.
  const bool shared = MasterTable_Bgn_Ptr == nullptr && NumMasterTable == 0 &&
                      mdf.MasterSteelTableName[0] == '\0' && DeleteMasterSteelTable() == 1;
  return text == "TRUE" && !qel::RecordCatalogue().empty() && shared ? 0 : 1;
}
