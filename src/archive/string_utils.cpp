#include "archive/string_utils.h"

#include <cctype>
#include <cstdio>
#include <cwctype>

#include "platform/paths.h"
#include "platform/win_types.h"

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }
wchar_t Lower(wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c))); }
wchar_t Upper(wchar_t c) { return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c))); }

template <class S>
S Lowered(S s) {
  for (auto& c : s) c = Lower(c);
  return s;
}
template <class S>
S Uppered(S s) {
  for (auto& c : s) c = Upper(c);
  return s;
}

template <class S>
typename S::size_type LastSeparator(const S& path) {
  using C = typename S::value_type;
  const C seps[] = {C('\\'), C('/'), C(0)};
  return path.find_last_of(seps);
}

template <class S>
S FileName(const S& path) {
  const auto i = LastSeparator(path);
  return i == S::npos ? path : path.substr(i + 1);
}

template <class S>
S Directory(const S& path) {
  const auto i = LastSeparator(path);
  S out = i == S::npos ? path : path.substr(0, i);
  out += typename S::value_type('\\');
  return out;
}

template <class S>
S Extension(const S& name) {
  const auto i = name.rfind(typename S::value_type('.'));
  return i == S::npos ? name : name.substr(i + 1);
}

template <class S>
S BuildPath(const S& folder, const S& name) {
  if (folder.empty()) return name;
  S out = folder;
  if (!isPathSeparator(folder.back())) out += typename S::value_type('\\');
  out += name;
  return out;
}

template <class S, class C>
void ReplaceChar(S& s, C from, C to, bool all) {
  for (auto& c : s) {
    if (c == from) {
      c = to;
      if (!all) return;
    }
  }
}

template <class S>
void Split(const S& text, const S& sep, std::vector<S>& parts) {
  if (text.empty()) return;
  if (sep.empty()) {
    parts.push_back(text);
    return;
  }
  typename S::size_type pos = 0;
  while (pos < text.size()) {
    const auto match = text.find(sep, pos);
    if (match == S::npos) {
      parts.push_back(text.substr(pos));
      return;
    }
    parts.push_back(text.substr(pos, match - pos));
    pos = match + sep.size();
    if (pos == text.size()) parts.push_back(S());
  }
}

// The Win32 calls the folder walk needs, for each character width.
struct NarrowCalls {
  using Char = char;
  static DWORD GetCurrent(DWORD n, char* b) { return GetCurrentDirectoryA(n, b); }
  static BOOL SetCurrent(const char* p) { return SetCurrentDirectoryA(p); }
  static BOOL Create(const char* p) { return CreateDirectoryA(p, nullptr); }
  static BOOL IsRelative(const char* p) { return PathIsRelativeA(p); }
};
struct WideCalls {
  using Char = wchar_t;
  static DWORD GetCurrent(DWORD n, wchar_t* b) { return GetCurrentDirectoryW(n, b); }
  static BOOL SetCurrent(const wchar_t* p) { return SetCurrentDirectoryW(p); }
  static BOOL Create(const wchar_t* p) { return CreateDirectoryW(p, nullptr); }
  static BOOL IsRelative(const wchar_t* p) { return PathIsRelativeW(p); }
};

template <class Calls, class S>
bool EnsureFolders(S path) {
  using C = typename Calls::Char;
  C saved[MAX_PATH];
  const DWORD n = Calls::GetCurrent(MAX_PATH, saved);
  if (n == 0 || n >= static_cast<DWORD>(MAX_PATH)) return false;

  ReplaceChar(path, C('/'), C('\\'), true);
  if (Calls::SetCurrent(path.c_str())) {
    Calls::SetCurrent(saved);
    return true;
  }

  std::vector<S> parts;
  Split(path, S(1, C('\\')), parts);
  std::size_t next = 0;
  bool ok = true;
  if (!path.empty() && !Calls::IsRelative(path.c_str())) {
    // The root keeps every '\' that directly follows its first one, so a drive root ("C:\") and
    // the two leading backslashes of a network path stay whole.
    auto end = path.find(C('\\'));
    if (end == S::npos) end = path.size();
    while (end < path.size() && path[end] == C('\\')) ++end;
    ok = Calls::SetCurrent(path.substr(0, end).c_str());
    next = 1;  // the first piece is the root's own text
  }
  for (; ok && next < parts.size(); ++next) {
    const S& part = parts[next];
    if (part.empty()) continue;
    if (!Calls::SetCurrent(part.c_str()))
      ok = Calls::Create(part.c_str()) && Calls::SetCurrent(part.c_str());
  }
  if (!Calls::SetCurrent(saved)) ok = false;
  return ok;
}

}  // namespace

void lowerCaseString(const std::string& in, std::string& out) { out = Lowered(in); }
std::string lowerCaseString(const std::string& in) { return Lowered(in); }
void lowerCaseString(const std::wstring& in, std::wstring& out) { out = Lowered(in); }
std::wstring lowerCaseString(const std::wstring& in) { return Lowered(in); }
void upperCaseString(const std::string& in, std::string& out) { out = Uppered(in); }
std::string upperCaseString(const std::string& in) { return Uppered(in); }
void upperCaseString(const std::wstring& in, std::wstring& out) { out = Uppered(in); }
std::wstring upperCaseString(const std::wstring& in) { return Uppered(in); }
void convertStringToLowerCase(std::string& s) { s = Lowered(std::move(s)); }
void convertStringToLowerCase(std::wstring& s) { s = Lowered(std::move(s)); }
void convertStringToUpperCase(std::string& s) { s = Uppered(std::move(s)); }
void convertStringToUpperCase(std::wstring& s) { s = Uppered(std::move(s)); }

bool isPathSeparator(char c) { return c == '\\' || c == '/'; }
bool isPathSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::string::size_type lastPathSeparatorInString(const std::string& path) {
  return LastSeparator(path);
}
std::wstring::size_type lastPathSeparatorInString(const std::wstring& path) {
  return LastSeparator(path);
}

void filenameFromPathString(const std::string& path, std::string& out) { out = FileName(path); }
std::string filenameFromPathString(const std::string& path) { return FileName(path); }
void filenameFromPathString(const std::wstring& path, std::wstring& out) { out = FileName(path); }
std::wstring filenameFromPathString(const std::wstring& path) { return FileName(path); }

void directoryFromPathString(const std::string& path, std::string& out) { out = Directory(path); }
std::string directoryFromPathString(const std::string& path) { return Directory(path); }
void directoryFromPathString(const std::wstring& path, std::wstring& out) { out = Directory(path); }
std::wstring directoryFromPathString(const std::wstring& path) { return Directory(path); }

void extensionFromFilename(const std::string& name, std::string& out) { out = Extension(name); }
std::string extensionFromFilename(const std::string& name) { return Extension(name); }
void extensionFromFilename(const std::wstring& name, std::wstring& out) { out = Extension(name); }
std::wstring extensionFromFilename(const std::wstring& name) { return Extension(name); }

void extensionFromPath(const std::string& path, std::string& out) {
  out = Extension(FileName(path));
}
std::string extensionFromPath(const std::string& path) { return Extension(FileName(path)); }
void extensionFromPath(const std::wstring& path, std::wstring& out) {
  out = Extension(FileName(path));
}
std::wstring extensionFromPath(const std::wstring& path) { return Extension(FileName(path)); }

void buildPathString(const std::string& folder, const std::string& name, std::string& out) {
  out = BuildPath(folder, name);
}
std::string buildPathString(const std::string& folder, const std::string& name) {
  return BuildPath(folder, name);
}
void buildPathString(const std::wstring& folder, const std::wstring& name, std::wstring& out) {
  out = BuildPath(folder, name);
}
std::wstring buildPathString(const std::wstring& folder, const std::wstring& name) {
  return BuildPath(folder, name);
}

void replaceStringCharacter(std::string& s, char from, char to, bool all) {
  ReplaceChar(s, from, to, all);
}
void replaceStringCharacter(std::wstring& s, wchar_t from, wchar_t to, bool all) {
  ReplaceChar(s, from, to, all);
}

void componentsSeparatedByString(const std::string& text, const std::string& sep,
                                 std::vector<std::string>& parts) {
  Split(text, sep, parts);
}
void componentsSeparatedByString(const std::wstring& text, const std::wstring& sep,
                                 std::vector<std::wstring>& parts) {
  Split(text, sep, parts);
}

bool EnsurePathExists(const std::string& path) { return EnsureFolders<NarrowCalls>(path); }
bool EnsurePathExists(const std::wstring& path) { return EnsureFolders<WideCalls>(path); }

std::string ftostr(double value, int decimals) {
  char text[128];
  if (decimals < 0) decimals = 0;
  // The fixed-point text holds at least "0." and the decimals, so past 125 decimals it can never
  // fit; deciding that up front also keeps an absurd count from costing any time.
  int len = -1;
  if (decimals <= 125) {
    char format[32];
    std::snprintf(format, sizeof format, "%%.%dlf", decimals);
    len = std::snprintf(text, sizeof text, format, value);
  }
  if (len < 0 || len >= static_cast<int>(sizeof text)) {
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
  }
  std::string out(text, static_cast<std::size_t>(len));
  if (out.find('.') != std::string::npos) {
    while (!out.empty() && out.back() == '0') out.pop_back();
    if (!out.empty() && out.back() == '.') out.pop_back();
  }
  return out;
}
