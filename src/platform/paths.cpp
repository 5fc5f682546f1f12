#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <mutex>

namespace {

std::mutex g_folderLock;
std::optional<std::string> g_windowsFolder;
std::optional<std::string> g_commonFolder;

std::string FromEnv(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string(fallback);
}

// Copies `s` into a Win32-style buffer; returns the length, or the size needed when it does not
// fit.
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

std::string WideToUtf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wc : text) {
    auto c = static_cast<std::uint32_t>(wc);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::wstring Utf8ToWide(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char b = p[i];
    int len = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
    std::uint32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    bool ok = len > 0 && i + static_cast<std::size_t>(len) <= n;
    for (int k = 1; ok && k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) ok = false;
      c = (c << 6) | (p[i + k] & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not valid UTF-8.
    static constexpr std::uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (ok && (c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) ok = false;
    if (ok) {
      out += static_cast<wchar_t>(c);
      i += static_cast<std::size_t>(len);
    } else {
      out += static_cast<wchar_t>(0xFFFD);
      ++i;
    }
  }
  return out;
}

bool WildcardMatch(std::string_view name, std::string_view mask) {
  auto same = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  };
  // Greedy walk that remembers the last '*': on a mismatch the star takes one more character.
  std::size_t n = 0, m = 0, starMask = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (m < mask.size() && (mask[m] == '?' || same(mask[m], name[n]))) {
      ++m;
      ++n;
    } else if (starMask != std::string_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
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

DWORD GetCurrentDirectoryW(DWORD size, wchar_t* buffer) {
  char tmp[4096];
  if (!::getcwd(tmp, sizeof tmp)) return 0;
  const std::wstring w = qel::Utf8ToWide(tmp);
  if (!buffer || size <= w.size()) return static_cast<DWORD>(w.size() + 1);
  std::wmemcpy(buffer, w.c_str(), w.size() + 1);
  return static_cast<DWORD>(w.size());
}

BOOL SetCurrentDirectoryW(const wchar_t* path) {
  return path && SetCurrentDirectoryA(qel::WideToUtf8(path).c_str());
}

BOOL CreateDirectoryW(const wchar_t* path, void* securityAttributes) {
  return path && CreateDirectoryA(qel::WideToUtf8(path).c_str(), securityAttributes);
}

BOOL PathIsRelativeW(const wchar_t* path) {
  if (!path || !*path) return TRUE;
  if (path[0] == L'\\' || path[0] == L'/') return FALSE;
  if (((path[0] >= L'a' && path[0] <= L'z') || (path[0] >= L'A' && path[0] <= L'Z')) &&
      path[1] == L':')
    return FALSE;
  return TRUE;
}

BOOL PathMatchSpecA(const char* file, const char* spec) {
  if (!file || !spec) return FALSE;
  if (std::strcmp(spec, "*.*") == 0) return TRUE;
  std::string_view rest(spec);
  while (!rest.empty()) {
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    const std::size_t end = rest.find(';');
    if (qel::WildcardMatch(file, rest.substr(0, end))) return TRUE;
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return FALSE;
}
