#include "mdf/file_security.h"

#include <atomic>
#include <cstring>

#include "mdf/settings.h"
#include "platform/win_file.h"

namespace qel {
namespace {
std::atomic<int> g_mode{kFileSecurityUnread};
}  // namespace

int LoadFileSecurityMode() {
  int mode = g_mode.load();
  if (mode != kFileSecurityUnread) return mode;
  switch (QelGetProfileInt("FileSecurity", "RemoveFileSecurity", 0)) {
    case 0:
      mode = kFileSecurityOff;
      break;
    case 1:
      mode = kFileSecurityOn;
      break;
    default:
      return kFileSecurityUnread;
  }
  g_mode.store(mode);
  return mode;
}

int CurrentFileSecurityMode() { return g_mode.load(); }

void ResetFileSecurityMode() { g_mode.store(kFileSecurityUnread); }

bool ApplyFileSecurity(const char* path) {
  if (LoadFileSecurityMode() != kFileSecurityOn) return true;
  if (!path || std::strlen(path) < 4) return false;
  SECURITY_DESCRIPTOR sd;
  return InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) &&
         SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE) &&
         SetFileSecurityA(path, DACL_SECURITY_INFORMATION, &sd);
}

}  // namespace qel
