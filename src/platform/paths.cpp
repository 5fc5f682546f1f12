#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

std::mutex g_folderLock;
std::optional<std::string> g_windowsFolder;
std::optional<std::string> g_commonFolder;

std::string FromEnv(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string(fallback);
}

// Copies `s` into a Win32-style buffer; returns the length, or the size needed when it does not fit.
UINT CopyOut(const std::string& s, char* buffer, UINT size) {
  if (!buffer || size <= s.size()) return static_cast<UINT>(s.size() + 1);
  std::memcpy(buffer, s.c_str(), s.size() + 1);
  return static_cast<UINT>(s.size());
}

}  // namespace

namespace qel {

std::string NativePath(const char* path) {
  std::string p = path ? path : "";
  for (char& c : p)
    if (c == '\\') c = '/';
  return p;
}

std::string WindowsFolder() {
  std::lock_guard<std::mutex> lock(g_folderLock);
  std::string f = g_windowsFolder ? *g_windowsFolder : FromEnv("QELDB_WINDOWS_DIR", "/etc/qeldb");
  return f.empty() ? std::string("/etc/qeldb") : NativePath(f);
}

std::string CommonAppDataFolder() {
  std::lock_guard<std::mutex> lock(g_folderLock);
  return NativePath(g_commonFolder ? *g_commonFolder
                                   : FromEnv("QELDB_COMMON_APPDATA", "/var/lib/qeldb"));
}

void SetWindowsFolder(std::optional<std::string> folder) {
  std::lock_guard<std::mutex> lock(g_folderLock);
  g_windowsFolder = std::move(folder);
}

void SetCommonAppDataFolder(std::optional<std::string> folder) {
  std::lock_guard<std::mutex> lock(g_folderLock);
  g_commonFolder = std::move(folder);
}

}  // namespace qel

UINT GetWindowsDirectoryA(char* buffer, UINT size) {
  return CopyOut(qel::WindowsFolder(), buffer, size);
}

HRESULT SHGetFolderPathA(HWND, int csidl, HANDLE, DWORD, char* path) {
  std::string f;
  if (csidl == CSIDL_COMMON_APPDATA)
    f = qel::CommonAppDataFolder();
  else if (csidl == CSIDL_WINDOWS)
    f = qel::WindowsFolder();
  if (f.empty() || f.size() >= static_cast<size_t>(MAX_PATH) || !path) return E_FAIL;
  std::memcpy(path, f.c_str(), f.size() + 1);
  return S_OK;
}

DWORD GetCurrentDirectoryA(DWORD size, char* buffer) {
  char tmp[4096];
  if (!::getcwd(tmp, sizeof tmp)) return 0;
  return CopyOut(tmp, buffer, size);
}

BOOL SetCurrentDirectoryA(const char* path) {
  std::string p = qel::NativePath(path);
  return !p.empty() && ::chdir(p.c_str()) == 0;
}

BOOL CreateDirectoryA(const char* path, void*) {
  std::string p = qel::NativePath(path);
  return !p.empty() && ::mkdir(p.c_str(), 0777) == 0;
}

BOOL PathFileExistsA(const char* path) {
  std::string p = qel::NativePath(path);
  struct stat st {};
  return !p.empty() && ::stat(p.c_str(), &st) == 0;
}

BOOL PathIsRelativeA(const char* path) {
  if (!path || !*path) return TRUE;
  if (path[0] == '\\' || path[0] == '/') return FALSE;
  if (std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') return FALSE;
  return TRUE;
}
