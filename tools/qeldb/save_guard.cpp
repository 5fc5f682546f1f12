#include "save_guard.h"

#include "command.h"
#include "platform/cfile.h"
#include "platform/file_system.h"

namespace qeldb {

namespace {
constexpr BYTE kReadOnlyAttribute = 0x01;
}  // namespace

bool MayReplace(const std::string& path, std::size_t findings, bool force) {
  if (force) return true;
  if (findings > 0) {
    Fail(kExitUsage, path + " looks damaged (" + std::to_string(findings) + " warning" +
                         (findings == 1 ? "" : "s") +
                         "); not saved, since what was read may be a misreading (use --force to "
                         "save it anyway)");
    return false;
  }
  CFileStatus status;
  if (CFile::GetStatus(path.c_str(), status) &&
      ((status.m_attribute & kReadOnlyAttribute) != 0 || qel::WriteAccessError(path) != 0)) {
    Fail(kExitUsage, path + " is read-only; not saved (use --force to replace it anyway)");
    return false;
  }
  return true;
}

}  // namespace qeldb
