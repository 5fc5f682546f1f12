#include "platform/resources.h"

namespace qel {

CString LoadResString(UINT id) {
  const char* s = FindResString(id);
  return CString(s ? s : "");
}

}  // namespace qel
