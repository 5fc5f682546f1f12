// The database name a command works on: the model's base path. One rule for every command: MODEL,
// MODEL.qel or any file of the model names the same model. The extension of the master data
// file, of every catalogued record file, of the grid-system file (grs), the spread-footing results
// (sfr) and the working section table (tab) is dropped, in any letter case; any other extension is
// part of the name ("tower.v2").
#pragma once

#include <cctype>
#include <string>

#include "dbio/record_catalogue.h"

namespace qeldb {

inline std::string ModelBase(const std::string& arg) {
  static constexpr const char* kOtherFiles[] = {"qel", "grs", "sfr", "tab"};
  const std::size_t dot = arg.find_last_of('.');
  const std::size_t sep = arg.find_last_of("/\\");
  // A dot that starts the last component names a hidden file, not an extension.
  if (dot == std::string::npos || dot == 0 || (sep != std::string::npos && dot <= sep + 1))
    return arg;
  std::string ext = arg.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  bool known = !ext.empty() && qel::FindRecordFile(ext) != nullptr;
  for (const char* other : kOtherFiles) known = known || ext == other;
  return known ? arg.substr(0, dot) : arg;
}

}  // namespace qeldb
