#include "mdf/settings.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/resources.h"
#include "platform/setting_source.h"

namespace {

constexpr DWORD kProfileBufferSize = 256;

struct SettingsState {
  std::mutex lock;
  std::string path;  // last candidate tried, or the file found
  int found = 0;     // 1 once the file has been found
  int sibling = 0;   // 1: the sibling product's file
  bool commonComputed = false;
  std::string commonFolder;
  std::set<std::string> reported;  // candidates already reported missing
};

SettingsState& State() {
  static SettingsState s;
  return s;
}

const char* FileName(int sibling) { return sibling ? "QELPlank.ini" : "quvol.ini"; }

const CString& TrueText() {
  static const CString s = qel::LoadResString(qel::kIdsTRUE);
  return s;
}

const CString& FalseText() {
  static const CString s = qel::LoadResString(qel::kIdsFALSE);
  return s;
}

// The Windows-folder candidate, the stand-in for "c:\windows\<name>".
std::string WindowsCandidate(const char* name) {
  char buf[MAX_PATH];
  UINT n = GetWindowsDirectoryA(buf, sizeof buf);
  std::string folder = (n > 0 && n < sizeof buf) ? std::string(buf, n) : qel::WindowsFolder();
  return qel::NativePath(folder + "\\" + name);
}

// Where the settings file is looked for, in search order; a place the platform lacks is empty.
struct Candidates {
  std::string devini;   // $DEVINI followed by the file name
  std::string common;   // the suite's folder under the common application data folder
  std::string windows;  // the Windows folder
};

Candidates SearchCandidates(int sibling) {
  const char* name = FileName(sibling);
  Candidates c;
  if (std::string dev = qel::GetEnv("DEVINI"); !dev.empty()) c.devini = qel::NativePath(dev + name);
  char common[MAX_PATH];
  if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, common)))
    c.common = qel::NativePath(
        std::string(common) +
        (sibling ? "\\Quarnel\\Engineering\\QELPlank\\" : "\\Quarnel\\Engineering\\Kestavo\\") +
        name);
  c.windows = WindowsCandidate(name);
  return c;
}

// Runs the search with the state locked. Returns the text of the missing-file message to show
// (after unlocking, since a message sink may call back into the settings), or "" for none.
std::string SearchLocked(SettingsState& st) {
  if (st.found) return std::string();
  const Candidates c = SearchCandidates(st.sibling);
  if (!c.devini.empty() && PathFileExistsA(c.devini.c_str())) {
    st.path = c.devini;
    st.found = 1;
    return std::string();
  }
  st.path = !c.common.empty() && PathFileExistsA(c.common.c_str()) ? c.common : c.windows;
  if (PathFileExistsA(st.path.c_str())) {
    st.found = 1;
    return std::string();
  }
  if (!st.reported.insert(c.common).second) return std::string();
  CString text;
  text.Format("Could not find file: \n %s \n Please contact Technical Support", c.common.c_str());
  return text.str();
}

// The settings file path, searching first when the file has not been found.
std::string SettingsPath() {
  SettingsState& st = State();
  std::string message, path;
  {
    std::lock_guard<std::mutex> guard(st.lock);
    message = SearchLocked(st);
    path = st.path;
  }
  if (!message.empty()) AfxMessageBox(message.c_str(), MB_OK | MB_ICONERROR);
  return path;
}

CString ReadString(const char* section, const char* key, const char* def, DWORD bufferSize) {
  std::string path = SettingsPath();
  if (section && key) {
    // Only the value's own bytes are copied, however large the buffer the reader allows.
    std::string value;
    qel::GetProfileValue(section, key, def, bufferSize, path.c_str(), value);
    return CString(std::move(value));
  }
  if (bufferSize <= kProfileBufferSize) {
    char buf[kProfileBufferSize];
    DWORD n = GetPrivateProfileStringA(section, key, def, buf, bufferSize, path.c_str());
    return CString(buf, static_cast<int>(n));
  }
  std::string buf(bufferSize, '\0');
  DWORD n = GetPrivateProfileStringA(section, key, def, buf.data(), bufferSize, path.c_str());
  buf.resize(n);
  return CString(std::move(buf));
}

int IsTrue(const CString& s) { return s.CompareNoCase(TrueText()) == 0 ? 1 : 0; }

CString FormatDefault(double def) {
  CString s;
  s.Format("%g", def);
  return s;
}

BOOL Write(const char* section, const char* key, const char* value) {
  std::string path = SettingsPath();
  return WritePrivateProfileStringA(section, key, value, path.c_str());
}

// True when `format` holds exactly one conversion and it takes a double (flags, width and
// precision of up to two digits, no '*'), besides any "%%". A caller's format is checked before it
// reaches printf, so a stray "%s" is refused instead of reading a pointer that is not there.
bool IsFloatFormat(const char* format) {
  int conversions = 0;
  for (const char* p = format; *p; ++p) {
    if (*p != '%') continue;
    if (p[1] == '%') {
      ++p;
      continue;
    }
    ++p;
    while (*p && std::strchr("-+ #0", *p)) ++p;
    // Width and precision of at most two digits: a settings value is never wider.
    for (int digits = 0; *p >= '0' && *p <= '9'; ++p)
      if (++digits > 2) return false;
    if (*p == '.') {
      ++p;
      for (int digits = 0; *p >= '0' && *p <= '9'; ++p)
        if (++digits > 2) return false;
    }
    if (*p == 'l') ++p;
    if (!*p || !std::strchr("eEfFgGaA", *p)) return false;
    ++conversions;
  }
  return conversions == 1;
}

// The value formatted with the caller's format ("%1.3f" when null); false for a format that does
// not print exactly one double.
bool FormatFloat(const char* format, double value, CString& out) {
  if (!format) format = "%1.3f";
  if (!IsFloatFormat(format)) return false;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  out.Format(format, value);
#pragma GCC diagnostic pop
  return true;
}

// The settings file's integers for the layers below this one (platform/setting_source.h),
// installed when the library is loaded.
int ReadSuiteSettingInt(const char* section, const char* key, int def) {
  return static_cast<int>(QelGetProfileInt(section, key, def));
}
[[maybe_unused]] const bool g_settingSourceInstalled =
    (qel::SetSettingIntReader(&ReadSuiteSettingInt), true);

}  // namespace

// Referenced by the static library's link line, so that a program linking the archive always
// takes this file and with it the setting source above.
extern "C" const int qeldbio_settings_anchor = 0;

namespace qel {

std::vector<std::string> SettingsSearchPaths() {
  int sibling;
  {
    SettingsState& st = State();
    std::lock_guard<std::mutex> guard(st.lock);
    sibling = st.sibling;
  }
  const Candidates c = SearchCandidates(sibling);
  std::vector<std::string> paths;
  for (const std::string* p : {&c.devini, &c.common, &c.windows})
    if (!p->empty()) paths.push_back(*p);
  return paths;
}

void ResetSettingsState() {
  SettingsState& st = State();
  {
    std::lock_guard<std::mutex> guard(st.lock);
    st.path.clear();
    st.found = 0;
    st.sibling = 0;
    st.commonComputed = false;
    st.commonFolder.clear();
    st.reported.clear();
  }
  ClearProfileCache();
}

ProfileSnapshot SettingsSnapshot() { return ProfileSnapshot(SettingsPath().c_str()); }

CString SettingsKey(UINT keyId, int metric) {
  CString key = LoadResString(keyId);
  if (metric) key += LoadResString(kIdsMetric);
  return key;
}

double ParseSettingsDouble(const char* text) {
  if (!text) return 0.0;
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
  if (*p == '+' && p[1] != '-' && p[1] != '+') ++p;
  double v = 0.0;
  auto r = std::from_chars(p, p + std::strlen(p), v, std::chars_format::general);
  return r.ec == std::errc() ? v : 0.0;
}

CString DefaultsGetProfileString(const char* section, UINT keyId, const char* def, int metric) {
  return ReadString(section, SettingsKey(keyId, metric), def, kModelDefaultsBufferSize);
}

CString DefaultsGetProfileString(const char* section, const char* key, const char* def) {
  return ReadString(section, key, def, kModelDefaultsBufferSize);
}

UINT DefaultsGetProfileInt(const char* section, UINT keyId, int def, int metric) {
  std::string path = SettingsPath();
  return GetPrivateProfileIntA(section, SettingsKey(keyId, metric), def, path.c_str());
}

int DefaultsGetProfileBool(const char* section, UINT keyId, int def, int metric) {
  return IsTrue(ReadString(section, SettingsKey(keyId, metric), def ? TrueText() : FalseText(),
                           kModelDefaultsBufferSize));
}

double DefaultsGetProfileDouble(const char* section, UINT keyId, const char* def, int metric) {
  return ParseSettingsDouble(DefaultsGetProfileString(section, keyId, def, metric));
}

double DefaultsGetProfileDouble(const char* section, UINT keyId, double def, int metric) {
  return DefaultsGetProfileDouble(section, keyId, FormatDefault(def), metric);
}

float DefaultsGetProfileFloat(const char* section, UINT keyId, const char* def, int metric) {
  return static_cast<float>(DefaultsGetProfileDouble(section, keyId, def, metric));
}

float DefaultsGetProfileFloat(const char* section, UINT keyId, double def, int metric) {
  return static_cast<float>(DefaultsGetProfileDouble(section, keyId, def, metric));
}

}  // namespace qel

int LoadQUVOLiniPath() {
  SettingsPath();
  SettingsState& st = State();
  std::lock_guard<std::mutex> guard(st.lock);
  return st.found;
}

int GetQuvolIniPath(char* out) {
  std::string path = SettingsPath();
  SettingsState& st = State();
  int found;
  const char* name;
  {
    std::lock_guard<std::mutex> guard(st.lock);
    found = st.found;
    name = FileName(st.sibling);
  }
  if (out) {
    std::string text = found ? path : std::string(name);
    std::size_t n = std::min<std::size_t>(text.size(), MAX_PATH - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
  }
  return found;
}

void UsePlankINIFile() {
  SettingsState& st = State();
  std::lock_guard<std::mutex> guard(st.lock);
  st.sibling = 1;
  st.found = 0;
}

void UseTELUXINIFile() {
  SettingsState& st = State();
  std::lock_guard<std::mutex> guard(st.lock);
  st.sibling = 0;
  st.found = 0;
}

DWORD QuvolGetProfileString(const char* section, const char* key, const char* def, char* buffer,
                            DWORD size) {
  std::string path = SettingsPath();
  return GetPrivateProfileStringA(section, key, def, buffer, size, path.c_str());
}

UINT QuvolGetProfileInt(const char* section, const char* key, int def) {
  std::string path = SettingsPath();
  return GetPrivateProfileIntA(section, key, def, path.c_str());
}

CString GetTeluxCommonAppDataPath() {
  SettingsState& st = State();
  bool failed = false;
  std::string result;
  {
    std::lock_guard<std::mutex> guard(st.lock);
    if (!st.commonComputed) {
      char buf[MAX_PATH];
      if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, buf))) {
        st.commonFolder = qel::NativePath(std::string(buf) + "\\Quarnel\\Engineering\\Kestavo");
        if (!qel::IsDirectory(st.commonFolder) && !qel::CreateDirectories(st.commonFolder))
          failed = true;
      } else {
        UINT n = GetWindowsDirectoryA(buf, MAX_PATH);
        st.commonFolder = (n > 0 && n < MAX_PATH) ? std::string(buf, n) : std::string();
      }
      st.commonComputed = true;
    }
    result = st.commonFolder;
  }
  if (failed) AfxMessageBox("g_strTeluxCommonAppPath", MB_OK | MB_ICONERROR);
  return CString(result);
}

CString QelGetProfileString(const char* section, UINT keyId, const char* def) {
  return ReadString(section, qel::SettingsKey(keyId), def, kProfileBufferSize);
}

CString QelGetProfileString(const char* section, UINT keyId, int defaultId) {
  CString def = defaultId ? qel::LoadResString(static_cast<UINT>(defaultId)) : CString();
  return ReadString(section, qel::SettingsKey(keyId), def, kProfileBufferSize);
}

CString QelGetProfileString(const char* section, const char* key, const char* def) {
  return ReadString(section, key, def, kProfileBufferSize);
}

int QelGetProfileBool(const char* section, const char* key, int def) {
  return IsTrue(ReadString(section, key, def ? TrueText() : FalseText(), kProfileBufferSize));
}

int QelGetProfileBool(const char* section, UINT keyId, int def) {
  return QelGetProfileBool(section, qel::SettingsKey(keyId), def);
}

UINT QelGetProfileInt(const char* section, UINT keyId, int def) {
  return QelGetProfileInt(section, qel::SettingsKey(keyId), def);
}

UINT QelGetProfileInt(const char* section, const char* key, int def) {
  std::string path = SettingsPath();
  return GetPrivateProfileIntA(section, key, def, path.c_str());
}

double QelGetProfileDouble(const char* section, const char* key, const char* def) {
  return qel::ParseSettingsDouble(ReadString(section, key, def, kProfileBufferSize));
}

double QelGetProfileDouble(const char* section, UINT keyId, const char* def, int metric) {
  return QelGetProfileDouble(section, qel::SettingsKey(keyId, metric), def);
}

double QelGetProfileDouble(const char* section, const char* key, double def) {
  return QelGetProfileDouble(section, key, FormatDefault(def));
}

double QelGetProfileDouble(const char* section, UINT keyId, double def, int metric) {
  return QelGetProfileDouble(section, qel::SettingsKey(keyId, metric), FormatDefault(def));
}

float QelGetProfileFloat(const char* section, const char* key, const char* def) {
  return static_cast<float>(QelGetProfileDouble(section, key, def));
}

float QelGetProfileFloat(const char* section, UINT keyId, const char* def, int metric) {
  return static_cast<float>(QelGetProfileDouble(section, keyId, def, metric));
}

float QelGetProfileFloat(const char* section, const char* key, double def) {
  return static_cast<float>(QelGetProfileDouble(section, key, def));
}

float QelGetProfileFloat(const char* section, UINT keyId, double def, int metric) {
  return static_cast<float>(QelGetProfileDouble(section, keyId, def, metric));
}

BOOL QelWriteProfileString(const char* section, const char* key, const char* value) {
  return Write(section, key, value);
}

BOOL QelWriteProfileString(const char* section, UINT keyId, const char* value) {
  return Write(section, qel::SettingsKey(keyId), value);
}

BOOL QelWriteProfileInt(const char* section, UINT keyId, int value) {
  return QelWriteProfileInt(section, qel::SettingsKey(keyId), value);
}

BOOL QelWriteProfileInt(const char* section, const char* key, int value) {
  CString s;
  s.Format("%d", value);
  return Write(section, key, s);
}

BOOL QelWriteProfileFloat(const char* section, const char* key, float value) {
  CString s;
  s.Format("%f", value);
  return Write(section, key, s);
}

BOOL QelWriteProfileFloat(const char* section, UINT keyId, float value, const char* format,
                          int metric) {
  return QelWriteProfileDouble(section, keyId, value, format, metric);
}

BOOL QelWriteProfileDouble(const char* section, UINT keyId, double value, const char* format,
                           int metric) {
  CString s;
  if (!FormatFloat(format, value, s)) return FALSE;
  return Write(section, qel::SettingsKey(keyId, metric), s);
}

BOOL QelWriteProfileBool(const char* section, const char* key, int value) {
  return Write(section, key, value ? TrueText() : FalseText());
}

BOOL QelWriteProfileBool(const char* section, UINT keyId, int value) {
  return QelWriteProfileBool(section, qel::SettingsKey(keyId), value);
}
