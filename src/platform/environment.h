// The process environment, Win32-shaped.
#pragma once

#include <string>

#include "platform/win_types.h"

// Copies the value of `name` into `buffer` and returns its length; when it does not fit, returns
// the size needed (length + 1) and leaves the buffer alone. 0 when the variable is not set.
DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size);

namespace qel {
// The value of `name`, or "" when it is not set.
std::string GetEnv(const char* name);
}  // namespace qel
