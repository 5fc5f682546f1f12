// A program outside the project: links the installed library, looks up a string-table entry,
// walks the record catalogue, whose header needs C++20 (std::span), and uses the shared data the
// suite's programs exchange through the library and the master steel table.
#include <cstdio>

#include "dbio/deck_records.h"
#include "dbio/deflection_criteria.h"
#include "dbio/load_records.h"
#include "dbio/record_catalogue.h"
#include "dbio/story_records.h"
#include "mdf/default_mdf.h"
#include "platform/resources.h"
#include "tables/master_table.h"
#include "tables/steel_design_tables.h"

int main() {
  CString text = qel::LoadResString(26405);
  std::printf("%s %zu\n", text.GetString(), qel::RecordCatalogue().size());
  // Defined by the library, null until a program shares its arrays.
  SSTORY story{};
  Story_Bgn_ptr = &story;
  Story_Ptr = Story_Bgn_ptr + 1;
  const bool shared =
      FlrType_Bgn_ptr == nullptr && FlrType_ptr == nullptr && hWndMain == nullptr &&
      Story_Ptr - Story_Bgn_ptr == 1 && DeckTable_Bgn_ptr == nullptr && NumDeckTable == 0 &&
      SLoadProp_Bgn_ptr == nullptr && PLoadProp_Bgn_ptr == nullptr &&
      LLoadProp_Bgn_ptr == nullptr && Opening_ptr == nullptr && g_pSteelDeflCrit == nullptr &&
      g_pConcDeflCrit == nullptr && MasterTable_Bgn_Ptr == nullptr && NumMasterTable == 0 &&
      mdf.MasterSteelTableName[0] == '\0' && DeleteMasterSteelTable() == 1;
  return text == "TRUE" && !qel::RecordCatalogue().empty() && shared ? 0 : 1;
}
