#include "tables/table_import.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "archive/string_utils.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "tables/table_files.h"

namespace {

void CopyOut(char* out, const std::string& text) {
  if (out) std::snprintf(out, MAX_PATH, "%s", text.c_str());
}

}  // namespace

int GetTableDirs(const char* modelPath, char* tablesDir, char* modelDir, char* modelName) {
  std::string tables = qel::TablesFolder();
  if (tables.empty()) return -1;
  if (tables.back() != '\\' && tables.back() != '/') tables += '\\';
  CopyOut(tablesDir, tables);

  const std::string model = modelPath ? modelPath : "";
  const auto sep = model.find_last_of("\\/");
  if (sep == std::string::npos) return -2;
  CopyOut(modelDir, model.substr(0, sep + 1));
  std::string name = model.substr(sep + 1);
  const auto dot = name.rfind('.');
  if (dot != std::string::npos && lowerCaseString(name.substr(dot)) == ".qel") name.resize(dot);
  CopyOut(modelName, name);
  return 0;
}

int ImportTableFile2(const char* tablesDir, const char* modelDir, const char* modelName,
                     const char* tableName, const char* ext, int second, int force) {
  const std::string e = ext ? ext : "";
  const std::string target = std::string(modelDir ? modelDir : "") + (modelName ? modelName : "") +
                             "." + qel::WorkingExtension(ext, second);
  if (!force && PathFileExistsA(target.c_str())) return 1;
  const std::string source =
      std::string(tablesDir ? tablesDir : "") + (tableName ? tableName : "") + "." + e;
  if (!PathFileExistsA(source.c_str())) return 0;
  return CopyFileA(source.c_str(), target.c_str(), FALSE) ? 1 : 0;
}

int ImportTableFile(const char* tablesDir, const char* modelDir, const char* modelName,
                    const char* tableName, const char* ext, int second) {
  return ImportTableFile2(tablesDir, modelDir, modelName, tableName, ext, second, 0);
}
