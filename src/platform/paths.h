// Paths and the Windows folders, mapped onto Linux.
//
// Every call that reaches the file system accepts '\' and '/' as separators and hands '/' to the
// OS. The suite's folders map as follows (each overridable for a process, e.g. by tests):
//   Windows folder              $QELDB_WINDOWS_DIR, else /etc/qeldb
//   common application data     $QELDB_COMMON_APPDATA, else /var/lib/qeldb
//                               (an override set to "" means the platform has no such folder)
// A drive prefix such as "C:" is kept as it is: "C:/x" names a relative folder "C:" here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace qel {

// `path` with every '\' turned into '/'. A null path gives "".
std::string NativePath(const char* path);
inline std::string NativePath(const std::string& path) { return NativePath(path.c_str()); }

// The Windows folder (never empty).
std::string WindowsFolder();
// The common application data folder, or "" when the platform has none.
std::string CommonAppDataFolder();
// Process-wide overrides; std::nullopt returns to the environment/default.
void SetWindowsFolder(std::optional<std::string> folder);
void SetCommonAppDataFolder(std::optional<std::string> folder);

// Wide paths reach the file system as UTF-8. Code points that UTF-8 cannot carry (surrogates,
// values past U+10FFFF) and bytes that are not valid UTF-8 become U+FFFD.
std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);

// One wildcard mask against a name, the shell's way: '*' stands for any run of characters
// (none included), '?' for exactly one, every other character matches itself without regard to
// ASCII case. Linear in the product of the lengths at worst; never recursive.
bool WildcardMatch(std::string_view name, std::string_view mask);

}  // namespace qel

constexpr int CSIDL_COMMON_APPDATA = 35;
constexpr int CSIDL_WINDOWS = 36;

// Win32-shaped wrappers over the folders above and the current folder.
UINT GetWindowsDirectoryA(char* buffer, UINT size);
HRESULT SHGetFolderPathA(HWND owner, int csidl, HANDLE token, DWORD flags, char* path);
DWORD GetCurrentDirectoryA(DWORD size, char* buffer);
BOOL SetCurrentDirectoryA(const char* path);
BOOL CreateDirectoryA(const char* path, void* securityAttributes);
BOOL PathFileExistsA(const char* path);
// Relative unless it starts with a separator or a drive ("X:").
BOOL PathIsRelativeA(const char* path);
// Whether `file` matches `spec`: a list of masks separated by ';', each with its leading spaces
// skipped and matched by qel::WildcardMatch; the mask "*.*" matches every name, dotted or not.
// Null arguments match nothing.
BOOL PathMatchSpecA(const char* file, const char* spec);

// The wide forms; sizes and results count wchar_t characters.
DWORD GetCurrentDirectoryW(DWORD size, wchar_t* buffer);
BOOL SetCurrentDirectoryW(const wchar_t* path);
BOOL CreateDirectoryW(const wchar_t* path, void* securityAttributes);
BOOL PathIsRelativeW(const wchar_t* path);
