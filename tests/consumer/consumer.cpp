// A program outside the project: links the installed library, looks up a string-table entry and
// uses the data the library exports for the suite's programs to share.
#include <cstdio>

#include "dbio/story_records.h"
#include "platform/resources.h"

int main() {
  CString text = qel::LoadResString(26405);
  std::printf("%s\n", text.GetString());
  // The shared story and floor-type pointers and the main window start out null.
  SSTORY story{};
  Story_Bgn_ptr = &story;
  Story_Ptr = Story_Bgn_ptr + 1;
  const bool shared = FlrType_Bgn_ptr == nullptr && FlrType_ptr == nullptr && hWndMain == nullptr &&
                      Story_Ptr - Story_Bgn_ptr == 1;
  return text == "TRUE" && shared ? 0 : 1;
}
