// The deck table and the three deck property tables: their layouts by stamp, their upgrades on
// reading, their writers, and the property names that decks resolve to.
#include <cstdint>
#include <cstring>
#include <map>
#include <string>

#include "dbio/dbio.h"
#include "dbio/record_catalogue_table.h"
#include "dbio/versioned_table.h"
#include "platform/cfile.h"

SDECKPROP* DeckTable_Bgn_ptr = nullptr;
int NumDeckTable = 0;

namespace {

constexpr unsigned long kDeck131 = 0x000D0100;  // 13.1.0: decks grew from 36 to 40 bytes
constexpr unsigned long kProp145 = 0x000E0500;  // 14.5.0: composite properties got display names
constexpr unsigned long kProp155 = 0x000F0500;  // 15.5.0: property records grew

constexpr int DeckSize(unsigned long stamp) { return stamp < kDeck131 ? 36 : 40; }
constexpr int DeckPropSize(unsigned long stamp) { return stamp < kProp155 ? 256 : 368; }
constexpr int ConcDeckPropSize(unsigned long stamp) { return stamp < kProp155 ? 104 : 224; }
constexpr int NonCompDeckPropSize(unsigned long stamp) { return stamp < kProp155 ? 64 : 208; }

template <class Record>
Record* As(unsigned char* bytes) {
  return reinterpret_cast<Record*>(bytes);
}

// The property records that reach 15.5.0 get neutral values in the fields that layout added.
template <class Record>
void SetNeutralOptions(Record& r) {
  r.nOption = 0;
  if constexpr (requires { r.dOption; }) r.dOption = 0.0;
  for (double& f : r.adFactor) f = 1.0;
}

// Per-read state of the composite upgrade: how many records of each property name were seen.
using NameCounters = std::map<std::string, int>;

void UpgradeDeckProp(CDBIO&, unsigned char* record, unsigned long fileStamp, void* context) {
  SDECKPROP& r = *As<SDECKPROP>(record);
  if (fileStamp < kProp145 && context) {
    const std::string name(r.szName, strnlen(r.szName, sizeof r.szName));
    const int n = ++(*static_cast<NameCounters*>(context))[name];
    // A name of at most 40 characters and a counter of at most 10 digits always fit the field.
    std::string display = name.empty() ? std::to_string(n)
                          : n == 1     ? name
                                       : name + " " + std::to_string(n);
    qel::CopyFixedText(r.szDisplayName, sizeof r.szDisplayName, display.c_str());
  }
  SetNeutralOptions(r);
}

void UpgradeConcDeckProp(CDBIO&, unsigned char* record, unsigned long, void*) {
  SetNeutralOptions(*As<SCONCDECKPROP>(record));
}

void UpgradeNonCompDeckProp(CDBIO&, unsigned char* record, unsigned long, void*) {
  SetNeutralOptions(*As<SNONCOMPDECKPROP>(record));
}

// A versioned table as the catalogue describes it, with its record type's size, which must be
// the catalogue's current size.
template <class Record>
constexpr qel::VersionedTable Describe(const char* ext, int (*size)(unsigned long),
                                       void (*upgrade)(CDBIO&, unsigned char*, unsigned long,
                                                       void*),
                                       bool askedRecordsOnly) {
  const qel::RecordFileInfo& info = qel::CatalogueEntry(ext);
  qel::VersionedTable t{info.ext, info.stampOffset, info.currentStamp, sizeof(Record),
                        size,     upgrade};
  t.convertInPlaceOnly = askedRecordsOnly;
  return t;
}

constexpr qel::VersionedTable kDeckTable = Describe<SDECKS>("dec", DeckSize, nullptr, true);
constexpr qel::VersionedTable kDeckPropTable =
    Describe<SDECKPROP>("dpt", DeckPropSize, UpgradeDeckProp, false);
constexpr qel::VersionedTable kConcDeckPropTable =
    Describe<SCONCDECKPROP>("cdp", ConcDeckPropSize, UpgradeConcDeckProp, true);
constexpr qel::VersionedTable kNonCompDeckPropTable =
    Describe<SNONCOMPDECKPROP>("ndp", NonCompDeckPropSize, UpgradeNonCompDeckProp, true);

constexpr bool MatchesCatalogue(const qel::VersionedTable& t) {
  return t.currentSize == qel::CatalogueEntry(t.ext).recordSize &&
         t.stampOffset + 4 <= t.sizeForStamp(0);  // even the oldest record holds its stamp
}
static_assert(MatchesCatalogue(kDeckTable) && MatchesCatalogue(kDeckPropTable) &&
              MatchesCatalogue(kConcDeckPropTable) && MatchesCatalogue(kNonCompDeckPropTable));
static_assert(DeckSize(kDeckTable.currentStamp) == sizeof(SDECKS) &&
              DeckPropSize(kDeckPropTable.currentStamp) == sizeof(SDECKPROP) &&
              ConcDeckPropSize(kConcDeckPropTable.currentStamp) == sizeof(SCONCDECKPROP) &&
              NonCompDeckPropSize(kNonCompDeckPropTable.currentStamp) == sizeof(SNONCOMPDECKPROP));

// Every record's stamp becomes `stamp` (or only the zero stamps).
template <class Record>
void Stamp(Record* buffer, int count, unsigned long stamp, bool onlyUnstamped) {
  if (!buffer) return;
  for (int i = 0; i < count; ++i)
    if (!onlyUnstamped || buffer[i].dwVersion == 0) buffer[i].dwVersion = static_cast<DWORD>(stamp);
}

// The name field of a cached record, without reading past the field.
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

}  // namespace

int CDBIO::GetDeckRecordSize(unsigned long version) {
  return GetVersionedRecordSize(kDeckTable, version);
}
int CDBIO::GetDeckPropRecordSize(unsigned long version) {
  return GetVersionedRecordSize(kDeckPropTable, version);
}
int CDBIO::GetConcDeckPropRecordSize(unsigned long version) {
  return GetVersionedRecordSize(kConcDeckPropTable, version);
}
int CDBIO::GetNonCompDeckPropRecordSize(unsigned long version) {
  return GetVersionedRecordSize(kNonCompDeckPropTable, version);
}

bool CDBIO::ReadDeckData(SDECKS* buffer, int count, int start) {
  return ReadVersionedTable(kDeckTable, buffer, count, start) != 0;
}

int CDBIO::WriteDeckData(SDECKS* buffer, int count, int start, int truncate) {
  Stamp(buffer, count, kDeckTable.currentStamp, false);
  return WriteDB(kDeckTable.ext, buffer, sizeof(SDECKS), start, count, truncate);
}

int CDBIO::ReadDeckProp(SDECKPROP* buffer, int count, int start) {
  NameCounters counters;
  return ReadVersionedTable(kDeckPropTable, buffer, count, start, &counters);
}

int CDBIO::WriteDeckProp(SDECKPROP* buffer, int count, int start, int truncate) {
  Stamp(buffer, count, kDeckPropTable.currentStamp, false);
  return WriteDB(kDeckPropTable.ext, buffer, sizeof(SDECKPROP), start, count, truncate);
}

int CDBIO::ReadConcDeckProp(SCONCDECKPROP* buffer, int count, int start) {
  return ReadVersionedTable(kConcDeckPropTable, buffer, count, start);
}

int CDBIO::WriteConcDeckProp(SCONCDECKPROP* buffer, int count, int start, int truncate) {
  Stamp(buffer, count, kConcDeckPropTable.currentStamp, true);
  return WriteDB(kConcDeckPropTable.ext, buffer, sizeof(SCONCDECKPROP), start, count, truncate);
}

int CDBIO::ReadNonCompDeckProp(SNONCOMPDECKPROP* buffer, int count, int start) {
  return ReadVersionedTable(kNonCompDeckPropTable, buffer, count, start);
}

int CDBIO::WriteNonCompDeckProp(SNONCOMPDECKPROP* buffer, int count, int start, int truncate) {
  Stamp(buffer, count, kNonCompDeckPropTable.currentStamp, true);
  return WriteDB(kNonCompDeckPropTable.ext, buffer, sizeof(SNONCOMPDECKPROP), start, count,
                 truncate);
}

namespace {

// Fills `cache` from its table the first time it is needed: false when the table has no records
// or cannot be read. A read that fails after the cache was sized leaves it sized and partly
// filled, and later calls answer from it as it is.
template <class Record>
bool FillCache(CDBIO& db, std::vector<Record>& cache, const char* ext,
               int (CDBIO::*read)(Record*, int, int)) {
  if (!cache.empty()) return true;
  int n = 0;
  try {
    n = db.GetRecordCount(ext, sizeof(Record));
  } catch (const CFileException&) {
    return false;  // held by a writer: try again next time
  }
  if (n < 1) return false;
  cache.resize(static_cast<std::size_t>(n));
  return (db.*read)(cache.data(), n, 0) != 0;
}

template <class Record, std::size_t N>
std::string CachedName(const std::vector<Record>& cache, int index, char (Record::*field)[N]) {
  if (index < 0 || static_cast<std::size_t>(index) >= cache.size()) return {};
  return FieldText(cache[static_cast<std::size_t>(index)].*field);
}

}  // namespace

std::string CDBIO::GetDeckPropName(const SDECKS& deck) {
  switch (deck.nDeckKind) {
    case 0:
      if (!FillCache(*this, m_aDeckPropCache, kDeckPropTable.ext, &CDBIO::ReadDeckProp)) return {};
      return CachedName(m_aDeckPropCache, deck.nDeckPropIndex, &SDECKPROP::szDisplayName);
    case 1:
      if (!FillCache(*this, m_aNonCompDeckPropCache, kNonCompDeckPropTable.ext,
                     &CDBIO::ReadNonCompDeckProp))
        return {};
      return CachedName(m_aNonCompDeckPropCache, deck.nDeckPropIndex, &SNONCOMPDECKPROP::szName);
    case 2:
      if (!FillCache(*this, m_aConcDeckPropCache, kConcDeckPropTable.ext, &CDBIO::ReadConcDeckProp))
        return {};
      return CachedName(m_aConcDeckPropCache, deck.nDeckPropIndex, &SCONCDECKPROP::szName);
    default:
      return {};
  }
}
