// A program outside the project: links the installed library, looks up a string-table entry and
// walks the record catalogue, whose header needs C++20 (std::span).
#include <cstdio>

#include "dbio/record_catalogue.h"
#include "platform/resources.h"

int main() {
  CString text = qel::LoadResString(26405);
  std::printf("%s %zu\n", text.GetString(), qel::RecordCatalogue().size());
  return text == "TRUE" && !qel::RecordCatalogue().empty() ? 0 : 1;
}
