#include "archive/spread_footing_file.h"

#include <cstdint>

#include "platform/cfile.h"

namespace {

constexpr double kFormatNumber = 9.0;
constexpr int kBufferSize = 4096;

// One value in the archive's direction.
template <class T>
void Exchange(CArchive& ar, T& value) {
  if (ar.IsStoring())
    ar << value;
  else
    ar >> value;
}

template <class T, std::size_t N>
void Exchange(CArchive& ar, T (&values)[N]) {
  for (T& v : values) Exchange(ar, v);
}

// A flag is stored as a 32-bit 1 or 0 and is true exactly when the stored value is 1.
void ExchangeFlag(CArchive& ar, bool& flag) {
  std::int32_t stored = flag ? 1 : 0;
  Exchange(ar, stored);
  flag = stored == 1;
}

}  // namespace

int CSpreadFootingFileHelper::SerializeDesignResultsStruct(CArchive& ar,
                                                           nsCONC_DESIGN::SDESIGN_RESULT* d) {
  Exchange(ar, d->dValue1);
  Exchange(ar, d->dValue2);
  Exchange(ar, d->iValue1);
  Exchange(ar, d->iValue2);
  Exchange(ar, d->strText1);
  Exchange(ar, d->strText2);
  return 0;
}

int CSpreadFootingFileHelper::SerializeReinPlaceSets(CArchive& ar,
                                                     nsCONC_DESIGN::REIN_PLACE_SET* s) {
  Exchange(ar, s->dValue1);
  Exchange(ar, s->dValue2);
  Exchange(ar, s->iValue1);
  Exchange(ar, s->iValue2);
  Exchange(ar, s->dValue3);
  Exchange(ar, s->dValue4);
  Exchange(ar, s->iValue3);
  Exchange(ar, s->iValue4);
  Exchange(ar, s->dValue5);
  return 0;
}

int CSpreadFootingFileHelper::Serialize(CArchive& ar, SPREAD_FOOT_RESULT* r) {
  // The format number is written for the programs that read the file; nothing depends on it here.
  double format = kFormatNumber;
  Exchange(ar, format);
  Exchange(ar, r->iKey);
  Exchange(ar, r->adGroup1);
  Exchange(ar, r->adGroup2);
  Exchange(ar, r->iValue1);
  Exchange(ar, r->iValue2);
  Exchange(ar, r->dValue1);
  Exchange(ar, r->dValue2);
  Exchange(ar, r->iValue3);
  Exchange(ar, r->dValue3);
  Exchange(ar, r->iValue4);
  Exchange(ar, r->dValue4);
  Exchange(ar, r->iValue5);
  Exchange(ar, r->adGroup3);
  Exchange(ar, r->iValue6);
  Exchange(ar, r->iValue7);
  Exchange(ar, r->iValue8);
  Exchange(ar, r->adGroup4);
  Exchange(ar, r->aiGroup5);
  for (bool& flag : r->abFlags) ExchangeFlag(ar, flag);
  for (auto& pair : r->aPairs) {
    Exchange(ar, pair.dValue);
    Exchange(ar, pair.iValue);
  }
  for (auto& design : r->aDesign) SerializeDesignResultsStruct(ar, &design);
  for (auto& set : r->aReinSets) SerializeReinPlaceSets(ar, &set);
  return 0;
}

namespace qel {

void LoadSpreadFootResults(CArchive& ar, SpreadFootResults& results, int count) {
  for (int i = 0; i < count; ++i) {
    SPREAD_FOOT_RESULT record;
    CSpreadFootingFileHelper::Serialize(ar, &record);
    results.SetAtGrow(i, record);
  }
}

void StoreSpreadFootResults(CArchive& ar, SpreadFootResults& results) {
  for (SPREAD_FOOT_RESULT& record : results) CSpreadFootingFileHelper::Serialize(ar, &record);
}

}  // namespace qel

CString CSpreadFootingFileHelper::GetFileName() const {
  return m_strDBName.Find(".sfr") >= 0 ? m_strDBName : m_strDBName + ".sfr";
}

long CSpreadFootingFileHelper::WriteSpreadFtgResults(SpreadFootResults& results) {
  CFile file;
  if (!file.Open(GetFileName(),
                 CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive | CFile::typeBinary))
    return 0;
  CArchive ar(&file, CArchive::store, kBufferSize);
  try {
    qel::StoreSpreadFootResults(ar, results);
    ar.Close();
    file.Close();
  } catch (const CArchiveException&) {
    ar.Abort();
    file.Abort();
  } catch (const CFileException&) {
    ar.Abort();
    file.Abort();
  }
  return 0;
}

long CSpreadFootingFileHelper::ReadSpreadFtgResults(SpreadFootResults* results, int count) {
  if (!results) return 0;
  CFile file;
  if (!file.Open(GetFileName(), CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary))
    return 0;
  try {
    if (file.GetLength() < 2) return 0;
  } catch (const CFileException&) {
    return 0;
  }
  results->RemoveAll();
  results->FreeExtra();
  CArchive ar(&file, CArchive::load, kBufferSize);
  try {
    qel::LoadSpreadFootResults(ar, *results, count);
  } catch (const CArchiveException&) {
    // A record the file cannot complete ends the reading; the whole ones stay.
  } catch (const CFileException&) {
  }
  ar.Abort();
  file.Abort();
  return 0;
}
