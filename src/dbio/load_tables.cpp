// Loads, reactions, load cases and the other plain tables: thin operations over the record
// primitives, with extensions and record sizes checked against the record catalogue.
#include "archive/spread_footing_file.h"
#include "dbio/dbio.h"
#include "dbio/record_catalogue_table.h"
#include "geom/geom_types.h"

SLOADPROP* SLoadProp_Bgn_ptr = nullptr;
SPOINTLOADS* PLoadProp_Bgn_ptr = nullptr;
SLINELOADS* LLoadProp_Bgn_ptr = nullptr;
SEDGELIST* Opening_ptr = nullptr;

namespace {

// The record type of a table has the catalogue's size for its extension.
template <class Record>
constexpr bool CatalogueSize(const char* ext) {
  return qel::CatalogueEntry(ext).recordSize == static_cast<int>(sizeof(Record));
}

}  // namespace

#define QEL_PLAIN_READ(member, Record, ext)                              \
  static_assert(CatalogueSize<Record>(ext));                             \
  void CDBIO::member(Record* buffer, int count, int start) {             \
    ReadDB(ext, buffer, static_cast<int>(sizeof(Record)), start, count); \
  }
#define QEL_PLAIN_WRITE(member, Record, ext)                                 \
  static_assert(CatalogueSize<Record>(ext));                                 \
  void CDBIO::member(Record* buffer, int count, int start) {                 \
    WriteDB(ext, buffer, static_cast<int>(sizeof(Record)), start, count, 0); \
  }
#include "dbio/load_tables.def"
#undef QEL_PLAIN_READ
#undef QEL_PLAIN_WRITE

static_assert(CatalogueSize<CECTREACTSTRUCT>("cer") && CatalogueSize<SBECTREACT>("ber") &&
              CatalogueSize<WALLREACTSTRUCT>("wllrf") && CatalogueSize<SLOADPROP>("lpt") &&
              CatalogueSize<_LOADCOMBO>(""));

void CDBIO::ReadLatLoadCases(_LOADCASE* buffer, int count) {
  if (count >= 1 && buffer) ReadLateralLoadCases(buffer, count, 0);
}

long CDBIO::ReadGravColReactions(CECTREACTSTRUCT* buffer, int index) {
  return ReadDB("cer", buffer, sizeof(CECTREACTSTRUCT), index, 1) ? 0 : -1;
}

long CDBIO::ReadGravBeamReactions(SBECTREACT* buffer, int count, int start) {
  return ReadDB("ber", buffer, sizeof(SBECTREACT), start, count) ? 0 : -1;
}

int CDBIO::ReadWallReact(WALLREACTSTRUCT* buffer, long count, int start) {
  return ReadDB("wllrf", buffer, sizeof(WALLREACTSTRUCT), start, count) ? 1 : 0;
}

void CDBIO::ReadSurfaceLoadProps(SLOADPROP* buffer, int count) {
  ReadDB("lpt", buffer, sizeof(SLOADPROP), 0, count);
}

int CDBIO::ReadLoadCombos(CString ext, _LOADCOMBO* buffer, int count, int start) {
  if (!ReadDB(ext, buffer, sizeof(_LOADCOMBO), start, count)) return 0;
  int result = 1;
  for (int i = 0; i < count; ++i) {
    const _LOADCOMBO& combo = buffer[i];
    if (combo.nLoadCases < 1 || combo.nLoadCases > kMaxComboLoadCases) return 0;
    for (int c = 0; c < combo.nLoadCases; ++c)
      if (combo.anLoadCase[c] < 0) result = 0;
  }
  return result;
}

void CDBIO::WriteLoadCombos(CString ext, _LOADCOMBO* buffer, int count) {
  WriteDB(ext, buffer, sizeof(_LOADCOMBO), 0, count, 0);
}

void CDBIO::ReadSpreadFtgResults(SpreadFootResults* results, int count) {
  CSpreadFootingFileHelper file;
  file.SetDBName(m_strDBName);
  file.ReadSpreadFtgResults(results, count);
}

void CDBIO::WriteSpreadFtgResults(SpreadFootResults* results) {
  if (!results) return;
  CSpreadFootingFileHelper file;
  file.SetDBName(m_strDBName);
  file.WriteSpreadFtgResults(*results);
}
