#include "platform/environment.h"

#include <cstdlib>
#include <cstring>

DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
  const char* v = name ? std::getenv(name) : nullptr;
  if (!v) return 0;
  std::size_t n = std::strlen(v);
  if (!buffer || size <= n) return static_cast<DWORD>(n + 1);
  std::memcpy(buffer, v, n + 1);
  return static_cast<DWORD>(n);
}

namespace qel {

std::string GetEnv(const char* name) {
  const char* v = name ? std::getenv(name) : nullptr;
  return v ? std::string(v) : std::string();
}

}  // namespace qel
