#include "tables/steel_design_tables.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "mdf/default_mdf.h"
#include "platform/messages.h"
#include "platform/resources.h"
#include "res/string_ids.h"
#include "tables/brace_tables.h"
#include "tables/property_table_map.h"
#include "tables/section_table.h"
#include "tables/table_files.h"

namespace {

void ShowFatal(HWND owner, UINT textId) {
  MessageBoxA(owner, qel::LoadResString(textId), qel::LoadResString(qel::kIdsFatalError),
              MB_ICONSTOP | MB_OK);
}

// The record that closes every table: a section no member can fail.
_MASTERTABLE NoDesignRecord() {
  _MASTERTABLE r{};
  std::snprintf(r.szName, sizeof r.szName, "%s", "No Design");
  r.cCode = 'R';
  r.cShape = 'W';
  r.fArea = 5000000;
  r.fYBar = 1000000;
  r.fIx = 100000000;
  r.fSxTop = r.fSxBot = r.fZx = r.fIy = r.fSy = r.fZy = r.fJ = r.fCw = 1000000;
  r.fAvWeb = r.fAvFlange = 1000000;
  r.fDepth = 5000;
  r.fTw = 1000;
  r.fBfTop = r.fBfBot = 10;
  r.fTfTop = r.fTfBot = 1;
  r.fKdesTop = r.fKdesBot = r.fRtTop = r.fRtBot = 1;
  return r;
}

// The failure path of a build: the table this build started is dropped whole, and the build's
// use of it given back, so a later build starts afresh.
void AbandonBuild(_MASTERTABLE* table) {
  std::free(table);
  MasterTable_Bgn_Ptr = nullptr;
  NumMasterTable = 0;
  qel::MasterTableUsers() = 0;
}

}  // namespace

int BuildSteelDesignTables2(HWND owner, const char* modelPath, SMDF* record) {
  int& users = qel::MasterTableUsers();
  if (users >= 1) {
    ++users;
    return 1;
  }
  CreatePropertyTableMapObject();

  const SMDF& source = record ? *record : mdf;
  char tableName[sizeof source.MasterSteelTableName + 1] = {};
  std::memcpy(tableName, source.MasterSteelTableName, sizeof source.MasterSteelTableName);
  std::FILE* file = OpenTableFilePtr(tableName, modelPath, "tab", 0);
  if (!file) {
    const char* path = modelPath ? modelPath : "";
    char* last = qel::LastFailedModelPath();
    bool& remembered = qel::MasterTableFailureRemembered();
    if (remembered && std::strcmp(path, last) == 0) return 0;
    std::snprintf(last, MAX_PATH, "%s", path);
    remembered = true;
    ShowFatal(owner, qel::kIdsErrorOpeningMasterTable);
    return 0;
  }
  users = 1;

  _MASTERTABLE* table = nullptr;
  int count = 0, capacity = 0;
  const qel::SectionTableStatus status =
      qel::ReadSectionTable(file, table, count, capacity, qel::MasterTableUnitsMetric());
  std::fclose(file);
  if (status != qel::SectionTableStatus::kOk) {
    ShowFatal(owner, status == qel::SectionTableStatus::kBadFormat
                         ? qel::kIdsErrorOpeningMasterTableIncorrectFileFormat
                         : qel::kIdsErrorOpeningMasterTable);
    AbandonBuild(table);
    return 0;
  }

  ReadStarSeismicTable(table, modelPath, count, capacity);
  ReadCoreBraceTable(table, modelPath, count, capacity);

  void* grown = table;
  if (!GrowMasterTableIfNeeded(&grown, count + 1, &capacity)) {
    ShowFatal(owner, qel::kIdsErrorOpeningMasterTable);
    AbandonBuild(table);
    return 0;
  }
  table = static_cast<_MASTERTABLE*>(grown);
  table[count] = NoDesignRecord();
  AddMapToSteelTable(table[count].szName, count);
  ++count;

  MasterTable_Bgn_Ptr = table;
  NumMasterTable = count;
  return 1;
}

int BuildSteelDesignTables(HWND owner, const char* modelPath) {
  return BuildSteelDesignTables2(owner, modelPath, &mdf);
}

CMastDBIO::CMastDBIO(const CMastDBIO& other) : CDBIO(other), m_strModelPath(other.m_strModelPath) {}

CMastDBIO::CMastDBIO(const char* modelPath, const CDBIO& db)
    : CDBIO(db), m_strModelPath(modelPath) {}

CMastDBIO::CMastDBIO(const char* modelPath, SMDF* record)
    : CDBIO(record), m_strModelPath(modelPath) {}

CMastDBIO::CMastDBIO(const char* modelPath, CString dbName, SMDF* record)
    : CDBIO(std::move(dbName), record), m_strModelPath(modelPath) {}

CMastDBIO::CMastDBIO(const char* modelPath, CUnits* units, CString dbName, SMDF* record)
    : CDBIO(units, std::move(dbName), record), m_strModelPath(modelPath) {}

CMastDBIO& CMastDBIO::operator=(const CMastDBIO& other) {
  CDBIO::operator=(other);
  m_strModelPath = other.m_strModelPath;
  return *this;
}

CMastDBIO::~CMastDBIO() = default;

int CMastDBIO::ReadMasterTable(_MASTERTABLE*& table, int& count, int withNoDesign) {
  table = nullptr;
  count = 0;
  SMDF* record = m_pMDF ? m_pMDF : &mdf;
  const char* model = m_strModelPath.IsEmpty() ? nullptr : m_strModelPath.GetString();
  if (!BuildSteelDesignTables2(nullptr, model, record)) return 0;
  const int n = withNoDesign ? NumMasterTable : NumMasterTable - 1;
  count = n > 0 ? n : 0;
  table = new _MASTERTABLE[static_cast<std::size_t>(count)];
  if (count > 0)
    std::memcpy(table, MasterTable_Bgn_Ptr, static_cast<std::size_t>(count) * sizeof(_MASTERTABLE));
  DeleteMasterSteelTable();
  return 1;
}

int CMastDBIO::ReadMasterTable(_MASTERTABLE*& table, long& count, int withNoDesign) {
  int n = 0;
  const int result = ReadMasterTable(table, n, withNoDesign);
  count = result ? n : 0;
  return result;
}
