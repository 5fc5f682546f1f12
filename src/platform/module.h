// Modules -- the executable and the shared objects loaded into the process -- Win32-shaped.
//
// Contract: a module handle is the address the module is loaded at, as on Windows; any address
// inside a module gives its handle through ModuleFromAddress. Shared objects loaded here stay
// loaded for the life of the process, because objects they created may outlive every handle to
// them. Paths accept '\' and '/'.
#pragma once

#include <string>

#include "platform/com.h"
#include "platform/win_types.h"

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;

// The full path of `module`'s file (the executable's for null) in `buffer`. Returns its length;
// when it does not fit, `size` - 1 characters and a NUL are stored and `size` is returned. 0
// when `module` is not the handle of a loaded module or the buffer is empty.
DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size);

// Loads the shared object at `path` (made absolute first, so its file name stays meaningful),
// binding every symbol now and keeping them private to it. Null when it cannot be loaded.
HMODULE LoadLibraryA(const char* path);

namespace qel {

// The module holding `address`, or null.
HMODULE ModuleFromAddress(const void* address);
// The module holding this library's code: the shared library, or the program it is linked into.
HMODULE ThisModule();
// The full path of `module`'s file (the executable's for null); "" when unknown.
std::string ModuleFileName(HMODULE module);

// Loads the shared object at `path` and finds `symbol` in it. Failures:
// HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) no such file; ERROR_BAD_EXE_FORMAT not a shared
// object; ERROR_MOD_NOT_FOUND a shared object the dynamic loader refused (a dependency missing,
// say); ERROR_PROC_NOT_FOUND no such symbol (the object is unloaded again). `detail`, when
// given, receives the dynamic loader's message.
HRESULT LoadModuleSymbol(const std::string& path, const char* symbol, void** address,
                         std::string* detail = nullptr);

}  // namespace qel
