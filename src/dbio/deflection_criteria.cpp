// Deflection criteria: the record files "sdc" and "cdc", and the settings-file form that a model
// without those files takes its criteria from.
#include <cstring>

#include "dbio/dbio.h"
#include "dbio/record_catalogue_table.h"
#include "mdf/settings.h"
#include "mdf/smdf.h"
#include "platform/resources.h"

SSTEELDEFLCRIT* g_pSteelDeflCrit = nullptr;
SCONCDEFLCRIT* g_pConcDeflCrit = nullptr;

namespace {

using namespace qel;

static_assert(CatalogueEntry("sdc").recordSize == sizeof(SSTEELDEFLCRIT) &&
              CatalogueEntry("cdc").recordSize == sizeof(SCONCDEFLCRIT));

// Criteria written without a stamp get the one of the layout they were introduced with.
constexpr unsigned long kCriteriaStamp = CatalogueEntry("sdc").currentStamp;  // 14.2.0
static_assert(CatalogueEntry("cdc").currentStamp == kCriteriaStamp);

// Names are read through a buffer of the settings readers' usual size.
constexpr DWORD kNameBufferSize = 256;

CString FormatValue(double value) {
  CString text;
  text.Format("%g", value);
  return text;
}

CString ItemKey(const CString& prefix, unsigned itemId, unsigned index, int metric) {
  CString key = CDBIO::AppendIndex(prefix + LoadResString(itemId), static_cast<int>(index));
  if (metric) key += LoadResString(kIdsMetric);
  return key;
}

template <class Criterion>
void StampUnstamped(Criterion* buffer, int count) {
  for (int i = 0; i < count; ++i)
    if (buffer[i].dwVersion == 0) buffer[i].dwVersion = static_cast<DWORD>(kCriteriaStamp);
}

template <std::size_t N>
void ReadName(const CString& section, char (&field)[N], unsigned index) {
  const CString key = CDBIO::AppendIndex(LoadResString(kIdsDeflCritName), static_cast<int>(index));
  const CString def = index == 0 ? LoadResString(kIdsDeflCritDefault) : CString();
  char buffer[kNameBufferSize] = {};
  QuvolGetProfileString(section, key, def, buffer, kNameBufferSize);
  // A longer name is cut to the field, which always keeps its terminator.
  CopyFixedText(field, N, buffer);
}

}  // namespace

CString CDBIO::AppendIndex(const CString& text, int index) {
  CString out;
  out.Format("%s%d", text.GetString(), index);
  return out;
}

CString CDBIO::IniGetDeflCritPrefix(unsigned baseId, unsigned halfId, int& metric) {
  metric = halfId == 0 ? 1 : 0;
  return LoadResString(baseId) + LoadResString(halfId == 0 ? kIdsDeflCritAbs : halfId);
}

CString CDBIO::IniGetSteelDeflCritPrefix(unsigned halfId, int& metric) {
  return IniGetDeflCritPrefix(kIdsDeflCritSteel, halfId, metric);
}

CString CDBIO::IniGetConcDeflCritPrefix(unsigned halfId, int& metric) {
  return IniGetDeflCritPrefix(kIdsDeflCritConc, halfId, metric);
}

double CDBIO::IniGetDeflCritItem(const CString& section, const CString& prefix, unsigned itemId,
                                 double defaultValue, unsigned index, int metric) {
  return QelGetProfileDouble(section, ItemKey(prefix, itemId, index, metric),
                             static_cast<const char*>(FormatValue(defaultValue)));
}

void CDBIO::IniWriteDeflCritItem(const CString& section, const CString& prefix, unsigned itemId,
                                 double value, unsigned index, int metric) {
  QelWriteProfileString(section, ItemKey(prefix, itemId, index, metric), FormatValue(value));
}

void CDBIO::IniReadDeflCrit(const CString& section, const CString& prefix, SDEFLCRIT& limits,
                            unsigned index, int metric, double deadDefault, double liveDefault,
                            double netDefault) {
  limits.dDeadL =
      IniGetDeflCritItem(section, prefix, kIdsDeflCritDeadL, deadDefault, index, metric);
  limits.dLiveL =
      IniGetDeflCritItem(section, prefix, kIdsDeflCritLiveL, liveDefault, index, metric);
  limits.dNet = IniGetDeflCritItem(section, prefix, kIdsDeflCritNet, netDefault, index, metric);
}

void CDBIO::IniWriteDeflCrit(const CString& section, const CString& prefix, SDEFLCRIT& limits,
                             unsigned index, int metric) {
  IniWriteDeflCritItem(section, prefix, kIdsDeflCritDeadL, limits.dDeadL, index, metric);
  IniWriteDeflCritItem(section, prefix, kIdsDeflCritLiveL, limits.dLiveL, index, metric);
  IniWriteDeflCritItem(section, prefix, kIdsDeflCritNet, limits.dNet, index, metric);
}

void CDBIO::IniReadSteelDeflCritHalf(const CString& section, SSTEELDEFLCRITHALF& half,
                                     unsigned halfId, unsigned index) {
  int metric = 0;
  const CString prefix = IniGetSteelDeflCritPrefix(halfId, metric);
  const bool ratioDefaults = index == 0 && halfId == kIdsDeflCritRatio;
  const double live = ratioDefaults ? 360 : 0, total = ratioDefaults ? 240 : 0;
  IniReadDeflCrit(section, prefix + LoadResString(kIdsDeflCritCmpShored), half.CmpShored, index,
                  metric, 0, live, total);
  IniReadDeflCrit(section, prefix + LoadResString(kIdsDeflCritNonCmp), half.NonCmp, index, metric,
                  0, live, total);
  half.dCmpUnshoredInit =
      IniGetDeflCritItem(section, prefix, kIdsDeflCritCmpUnshoredInit, 0, index, metric);
  half.dCmpUnshoredPostLL =
      IniGetDeflCritItem(section, prefix, kIdsDeflCritCmpUnshoredPostLL, live, index, metric);
  half.dCmpUnshoredPostTotal =
      IniGetDeflCritItem(section, prefix, kIdsDeflCritCmpUnshoredPostTotal, total, index, metric);
  half.dCmpUnshoredTotal =
      IniGetDeflCritItem(section, prefix, kIdsDeflCritCmpUnshoredTotal, total, index, metric);
}

void CDBIO::IniWriteSteelDeflCritHalf(const CString& section, SSTEELDEFLCRITHALF& half,
                                      unsigned halfId, unsigned index) {
  int metric = 0;
  const CString prefix = IniGetSteelDeflCritPrefix(halfId, metric);
  IniWriteDeflCrit(section, prefix + LoadResString(kIdsDeflCritCmpShored), half.CmpShored, index,
                   metric);
  IniWriteDeflCrit(section, prefix + LoadResString(kIdsDeflCritNonCmp), half.NonCmp, index, metric);
  IniWriteDeflCritItem(section, prefix, kIdsDeflCritCmpUnshoredInit, half.dCmpUnshoredInit, index,
                       metric);
  IniWriteDeflCritItem(section, prefix, kIdsDeflCritCmpUnshoredPostLL, half.dCmpUnshoredPostLL,
                       index, metric);
  IniWriteDeflCritItem(section, prefix, kIdsDeflCritCmpUnshoredPostTotal,
                       half.dCmpUnshoredPostTotal, index, metric);
  IniWriteDeflCritItem(section, prefix, kIdsDeflCritCmpUnshoredTotal, half.dCmpUnshoredTotal, index,
                       metric);
}

void CDBIO::IniReadConcDeflCritHalf(const CString& section, SCONCDEFLCRITHALF& half,
                                    unsigned halfId, unsigned index) {
  int metric = 0;
  const CString prefix = IniGetConcDeflCritPrefix(halfId, metric);
  const bool ratioDefaults = index == 0 && halfId == kIdsDeflCritRatio;
  half.dDeadL = IniGetDeflCritItem(section, prefix, kIdsDeflCritDeadL, 0, index, metric);
  half.dLiveL = IniGetDeflCritItem(section, prefix, kIdsDeflCritLiveL, ratioDefaults ? 360 : 0,
                                   index, metric);
  half.dNet = IniGetDeflCritItem(section, prefix, kIdsDeflCritNet, 0, index, metric);
  half.dLT =
      IniGetDeflCritItem(section, prefix, kIdsDeflCritLT, ratioDefaults ? 240 : 0, index, metric);
}

void CDBIO::IniWriteConcDeflCritHalf(const CString& section, SCONCDEFLCRITHALF& half,
                                     unsigned halfId, unsigned index) {
  int metric = 0;
  const CString prefix = IniGetConcDeflCritPrefix(halfId, metric);
  IniWriteDeflCritItem(section, prefix, kIdsDeflCritDeadL, half.dDeadL, index, metric);
  IniWriteDeflCritItem(section, prefix, kIdsDeflCritLiveL, half.dLiveL, index, metric);
  IniWriteDeflCritItem(section, prefix, kIdsDeflCritNet, half.dNet, index, metric);
  IniWriteDeflCritItem(section, prefix, kIdsDeflCritLT, half.dLT, index, metric);
}

void CDBIO::IniReadSteelDeflCritName(const CString& section, SSTEELDEFLCRIT& criterion,
                                     unsigned index) {
  ReadName(section, criterion.szName, index);
}

void CDBIO::IniReadConcDeflCritName(const CString& section, SCONCDEFLCRIT& criterion,
                                    unsigned index) {
  ReadName(section, criterion.szName, index);
}

namespace {

// Criteria 0..count-1 from the settings file, over cleared records. `readOne(section, criterion,
// index, absoluteHalfId)` reads one criterion.
template <class Criterion, class ReadOne>
int ReadFromSettings(Criterion* buffer, int count, UINT sectionId, const SMDF* mdf,
                     ReadOne readOne) {
  if (!buffer) return 0;
  if (count <= 0) return 1;
  std::memset(buffer, 0, static_cast<std::size_t>(count) * sizeof(Criterion));
  const CString section = LoadResString(sectionId);
  // The absolute half of a model in a unit system other than 0 comes from the "Metric" keys; a
  // model without a master data record is taken as unit system 0.
  const unsigned absId = (mdf == nullptr || mdf->Units == 0) ? kIdsDeflCritAbs : 0;
  for (int i = 0; i < count; ++i) readOne(section, buffer[i], static_cast<unsigned>(i), absId);
  return 1;
}

}  // namespace

int CDBIO::ReadSteelDeflCrit(SSTEELDEFLCRIT* buffer, int count) {
  if (ReadDB("sdc", buffer, sizeof(SSTEELDEFLCRIT), 0, count)) return 1;
  return ReadFromSettings(
      buffer, count, kIdsMiscDefaults, m_pMDF,
      [](const CString& section, SSTEELDEFLCRIT& c, unsigned index, unsigned absId) {
        IniReadSteelDeflCritName(section, c, index);
        IniReadSteelDeflCritHalf(section, c.Ratio, kIdsDeflCritRatio, index);
        IniReadSteelDeflCritHalf(section, c.Abs, absId, index);
      });
}

int CDBIO::ReadConcDeflCrit(SCONCDEFLCRIT* buffer, int count) {
  if (ReadDB("cdc", buffer, sizeof(SCONCDEFLCRIT), 0, count)) return 1;
  return ReadFromSettings(
      buffer, count, kIdsConcreteBeamDefaults, m_pMDF,
      [](const CString& section, SCONCDEFLCRIT& c, unsigned index, unsigned absId) {
        IniReadConcDeflCritName(section, c, index);
        IniReadConcDeflCritHalf(section, c.Ratio, kIdsDeflCritRatio, index);
        IniReadConcDeflCritHalf(section, c.Abs, absId, index);
      });
}

int CDBIO::WriteSteelDeflCrit(SSTEELDEFLCRIT* buffer, int count) {
  if (buffer) StampUnstamped(buffer, count);
  return WriteDB("sdc", buffer, sizeof(SSTEELDEFLCRIT), 0, count, 0);
}

int CDBIO::WriteConcDeflCrit(SCONCDEFLCRIT* buffer, int count) {
  if (buffer) StampUnstamped(buffer, count);
  return WriteDB("cdc", buffer, sizeof(SCONCDEFLCRIT), 0, count, 0);
}
