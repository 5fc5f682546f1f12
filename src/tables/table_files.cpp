#include "tables/table_files.h"

#include <cstring>
#include <map>

#include "archive/string_utils.h"
#include "mdf/settings.h"
#include "tables/file_helper.h"
#include "tables/master_table.h"

namespace {

HANDLE OpenForReading(const std::string& path) {
  return CreateFileNoSecurity(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

void GetTableWorkingExtension(const char* ext, int second, char* out) {
  if (!out) return;
  const std::string working = qel::WorkingExtension(ext, second);
  std::memcpy(out, working.c_str(), working.size() + 1);
}

namespace qel {

std::string WorkingExtension(const char* ext, int second) {
  static const std::map<std::string, std::string> kWorking = {{"cel", "sbcel"}};
  const std::string in = ext ? ext : "";
  const auto it = kWorking.find(in);
  std::string result = it == kWorking.end() ? in : it->second;
  if (second) result += '2';
  return result;
}

std::string TablesFolder() {
  LoadQUVOLiniPath();
  char folder[257] = {};
  QuvolGetProfileString("Directories", "tables", "", folder, sizeof folder);
  return folder;
}

std::string WorkingCopyPath(const char* modelPath, const char* ext, int second) {
  std::string path = modelPath ? modelPath : "";
  const auto dot = path.rfind('.');
  const auto sep = path.find_last_of("\\/");
  if (dot != std::string::npos && (sep == std::string::npos || dot > sep) &&
      lowerCaseString(path.substr(dot)) == ".qel")
    path.resize(dot);
  return path + "." + WorkingExtension(ext, second);
}

bool ReadTableHandle(HANDLE handle, std::vector<unsigned char>& out) {
  out.clear();
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(handle, &size) && size.QuadPart >= 0 &&
            static_cast<unsigned long long>(size.QuadPart) <= kMaxBinaryTableBytes;
  if (ok) {
    out.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    ok = ReadFile(handle, out.data(), static_cast<DWORD>(out.size()), &got, nullptr) &&
         got == out.size();
  }
  CloseHandle(handle);
  if (!ok) out.clear();
  return ok;
}

}  // namespace qel

HANDLE OpenTableFile(const char* tableName, const char* modelPath, const char* ext, int second) {
  if (qel::PlankMode()) {
    UsePlankINIFile();
    LoadQUVOLiniPath();
  } else if (modelPath) {
    const std::string path = qel::WorkingCopyPath(modelPath, ext, second);
    HANDLE probe = OpenForReading(path);
    if (probe == INVALID_HANDLE_VALUE) return INVALID_HANDLE_VALUE;
    CloseHandle(probe);
    return OpenForReading(path);
  }
  const std::string path =
      qel::TablesFolder() + "\\" + (tableName ? tableName : "") + "." + (ext ? ext : "");
  return OpenForReading(path);
}

std::FILE* OpenTableFilePtr(const char* tableName, const char* modelPath, const char* ext,
                            int second) {
  HANDLE h = OpenTableFile(tableName, modelPath, ext, second);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  std::FILE* f = qel::StreamFromHandle(h, "rt");
  if (!f) CloseHandle(h);
  return f;
}
