// A program outside the project: links the installed library and looks up a string-table entry.
#include <cstdio>

#include "platform/resources.h"

int main() {
  CString text = qel::LoadResString(26405);
  std::printf("%s\n", text.GetString());
  return text == "TRUE" ? 0 : 1;
}
