// A program outside the project: links the installed library, looks up a string-table entry and
// uses the shared data the suite's programs exchange through it.
#include <cstdio>

#include "dbio/deck_records.h"
#include "dbio/deflection_criteria.h"
#include "dbio/load_records.h"
#include "platform/resources.h"

int main() {
  CString text = qel::LoadResString(26405);
  std::printf("%s\n", text.GetString());
  // Defined by the library, null until a program shares its arrays.
  const bool shared = DeckTable_Bgn_ptr == nullptr && NumDeckTable == 0 &&
                      SLoadProp_Bgn_ptr == nullptr && PLoadProp_Bgn_ptr == nullptr &&
                      LLoadProp_Bgn_ptr == nullptr && Opening_ptr == nullptr &&
                      g_pSteelDeflCrit == nullptr && g_pConcDeflCrit == nullptr;
  return text == "TRUE" && shared ? 0 : 1;
}
