// A program outside the project: links the installed library, looks up a string-table entry and
// walks the record catalogue, whose header needs C++20 (std::span), and uses the data the library
// exports for the suite's programs to share.
#include <cstdio>

#include "dbio/record_catalogue.h"
#include "dbio/story_records.h"
#include "platform/resources.h"

int main() {
  CString text = qel::LoadResString(26405);
  std::printf("%s %zu\n", text.GetString(), qel::RecordCatalogue().size());
  // The shared story and floor-type pointers and the main window start out null.
  SSTORY story{};
  Story_Bgn_ptr = &story;
  Story_Ptr = Story_Bgn_ptr + 1;
  const bool shared = FlrType_Bgn_ptr == nullptr && FlrType_ptr == nullptr && hWndMain == nullptr &&
                      Story_Ptr - Story_Bgn_ptr == 1;
  return text == "TRUE" && !qel::RecordCatalogue().empty() && shared ? 0 : 1;
}
