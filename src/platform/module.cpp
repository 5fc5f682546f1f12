#include "platform/module.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "platform/paths.h"

namespace {

// The executable's path; the dynamic loader knows the main program only by an empty name.
std::string ExecutablePath() {
  std::error_code ec;
  const auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : p.string();
}

// dlerror() describes the last failure of the calling thread; the lock only keeps two of our
// own loads from interleaving their dlopen/dlerror pairs.
std::mutex g_loadLock;

std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  const auto abs = std::filesystem::absolute(path, ec);
  return ec ? path : abs.string();
}

bool StartsWithElfMagic(const std::string& path) {
  unsigned char magic[4] = {};
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  const std::size_t n = std::fread(magic, 1, sizeof magic, f);
  std::fclose(f);
  return n == 4 && magic[0] == 0x7F && magic[1] == 'E' && magic[2] == 'L' && magic[3] == 'F';
}

}  // namespace

namespace qel {

HMODULE ModuleFromAddress(const void* address) {
  Dl_info info{};
  if (!address || dladdr(address, &info) == 0 || !info.dli_fbase) return nullptr;
  return static_cast<HMODULE>(info.dli_fbase);
}

HMODULE ThisModule() {
  static const char anchor = 0;
  return ModuleFromAddress(&anchor);
}

std::string ModuleFileName(HMODULE module) {
  if (!module) return ExecutablePath();
  Dl_info info{};
  link_map* map = nullptr;
  if (dladdr1(module, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 || !map ||
      info.dli_fbase != static_cast<void*>(module))
    return std::string();
  return map->l_name && *map->l_name ? std::string(map->l_name) : ExecutablePath();
}

HRESULT LoadModuleSymbol(const std::string& path, const char* symbol, void** address,
                         std::string* detail) {
  if (address) *address = nullptr;
  if (!address || !symbol) return E_POINTER;
  const std::string file = AbsolutePath(NativePath(path));
  if (!PathFileExistsA(file.c_str())) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  std::lock_guard<std::mutex> lock(g_loadLock);
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    if (detail) *detail = dlerror();
    return HRESULT_FROM_WIN32(StartsWithElfMagic(file) ? ERROR_MOD_NOT_FOUND
                                                       : ERROR_BAD_EXE_FORMAT);
  }
  dlerror();
  void* found = dlsym(handle, symbol);
  if (!found) {
    if (detail) *detail = file + ": no symbol " + symbol;
    dlclose(handle);
    return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  }
  *address = found;
  return S_OK;
}

}  // namespace qel

DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  const std::string name = qel::ModuleFileName(module);
  if (name.empty()) return 0;
  if (name.size() >= size) {
    std::memcpy(buffer, name.data(), size - 1);
    buffer[size - 1] = '\0';
    return size;
  }
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  return static_cast<DWORD>(name.size());
}

HMODULE LoadLibraryA(const char* path) {
  if (!path || !*path) return nullptr;
  const std::string file = AbsolutePath(qel::NativePath(path));
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return nullptr;
  link_map* map = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map) return nullptr;
  // The dynamic section lies inside the object, so it names the module and gives its base.
  return qel::ModuleFromAddress(map->l_ld);
}
