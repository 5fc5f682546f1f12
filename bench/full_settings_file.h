// A settings file that holds every key a new model's defaults read (English and metric), for the
// benchmarks that need the user's settings to be complete. Numeric defaults are replaced by 7 so
// every conversion path is exercised.
#pragma once

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "mdf/cqelmdf.h"

namespace qelbench {

inline std::map<std::string, std::map<std::string, std::string>>*& RecordedKeys() {
  static std::map<std::string, std::map<std::string, std::string>>* keys = nullptr;
  return keys;
}

inline std::string RecordKey(const char* section, const char* key, const char* def) {
  std::string v = def;
  if (!v.empty() && (std::isdigit(static_cast<unsigned char>(v[0])) || v[0] == '-')) v = "7";
  (*RecordedKeys())[section].emplace(key, v);
  return def;
}

// Writes the file at `path` (CRLF lines, sections and keys in byte order).
inline void WriteFullSettingsFile(const std::filesystem::path& path) {
  std::map<std::string, std::map<std::string, std::string>> keys;
  RecordedKeys() = &keys;
  CQelMDF::SetProfileReader(&RecordKey);
  for (int units : {0, 1}) {
    SMDF m{};
    CQelMDF(units, &m).FileNewInit(units, "bench");
  }
  CQelMDF::SetProfileReader(nullptr);
  RecordedKeys() = nullptr;
  std::ofstream out(path, std::ios::binary);
  for (const auto& [section, entries] : keys) {
    out << "[" << section << "]\r\n";
    for (const auto& [key, value] : entries) out << key << "=" << value << "\r\n";
  }
}

}  // namespace qelbench
