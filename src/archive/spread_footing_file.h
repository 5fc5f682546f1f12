// The spread-footing results file: the foundation design program's results, kept beside the model
// as "<database name>.sfr".
//
// The file is a run of SPREAD_FOOT_RESULT records in CArchive form with no header and no count:
// a format number (the double 9.0, skipped when reading), a 496-byte fixed part of numbers, the 17
// design results with their two counted strings each, then the 4 reinforcement sets. The library
// does not interpret the values. The caller must remember how many records it wrote.
//
// Contract:
// - Neither operation reports success through its result (always 0) and neither throws: file and
//   archive failures are caught, the file is closed, and what was done stays done.
// - Reading stops cleanly at the first record the file cannot complete -- the file ends early, or
//   a string announces more characters than the file has left (checked before allocating) -- and
//   keeps every whole record read before it.
#pragma once

#include "platform/carchive.h"
#include "platform/carray.h"
#include "platform/cstring.h"
#include "platform/win_types.h"

namespace nsCONC_DESIGN {

struct SDESIGN_RESULT {
  double dValue1 = 0;
  double dValue2 = 0;
  INT iValue1 = 0;
  INT iValue2 = 0;
  CString strText1;
  CString strText2;
};

struct REIN_PLACE_SET {
  double dValue1 = 0;
  double dValue2 = 0;
  INT iValue1 = 0;
  INT iValue2 = 0;
  double dValue3 = 0;
  double dValue4 = 0;
  INT iValue3 = 0;
  INT iValue4 = 0;
  double dValue5 = 0;
  // Working data of the design program, never stored in the file.
  double adWork[4] = {};
};

}  // namespace nsCONC_DESIGN

struct SPREAD_FOOT_RESULT {
  struct PAIR {
    double dValue = 0;
    INT iValue = 0;
  };

  INT iKey = 0;
  double adGroup1[8] = {};
  nsCONC_DESIGN::SDESIGN_RESULT aDesign[17];
  nsCONC_DESIGN::REIN_PLACE_SET aReinSets[4];
  double adGroup2[5] = {};
  INT iValue1 = 0, iValue2 = 0;
  double dValue1 = 0, dValue2 = 0;
  INT iValue3 = 0;
  double dValue3 = 0;
  INT iValue4 = 0;
  double dValue4 = 0;
  INT iValue5 = 0;
  double adGroup3[7] = {};
  INT iValue6 = 0, iValue7 = 0, iValue8 = 0;
  double adGroup4[10] = {};
  INT aiGroup5[10] = {};
  bool abFlags[5] = {};
  PAIR aPairs[10];
};

using SpreadFootResults = CArray<SPREAD_FOOT_RESULT, SPREAD_FOOT_RESULT>;

namespace qel {
// The record loop of the file operations on an open archive; archive and file exceptions pass
// through (records completed before one stay in `results`). For callers that already hold the
// bytes (a fuzzer, an archive entry).
void LoadSpreadFootResults(CArchive& ar, SpreadFootResults& results, int count);
void StoreSpreadFootResults(CArchive& ar, SpreadFootResults& results);
}  // namespace qel

class CSpreadFootingFileHelper {
 public:
  CSpreadFootingFileHelper() = default;
  CSpreadFootingFileHelper(const CSpreadFootingFileHelper&) = default;
  CSpreadFootingFileHelper& operator=(const CSpreadFootingFileHelper&) = default;
  virtual ~CSpreadFootingFileHelper() = default;

  // The database (model) path the file name is made from.
  void SetDBName(CString dbName) { m_strDBName = std::move(dbName); }

  // Replaces the file with every record of `results`, in order. Returns 0.
  long WriteSpreadFtgResults(SpreadFootResults& results);
  // When the file opens and holds at least 2 bytes: empties `*results`, then reads up to `count`
  // records into it. A missing, locked or shorter file leaves `*results` untouched. Returns 0.
  long ReadSpreadFtgResults(SpreadFootResults* results, int count);

  // The database path with ".sfr" appended, unless it already contains ".sfr".
  CString GetFileName() const;

 private:
  friend void qel::LoadSpreadFootResults(CArchive&, SpreadFootResults&, int);
  friend void qel::StoreSpreadFootResults(CArchive&, SpreadFootResults&);

  // One routine per record part for both directions, chosen by the archive's mode; each returns 0.
  static int Serialize(CArchive& ar, SPREAD_FOOT_RESULT* result);
  static int SerializeDesignResultsStruct(CArchive& ar, nsCONC_DESIGN::SDESIGN_RESULT* design);
  static int SerializeReinPlaceSets(CArchive& ar, nsCONC_DESIGN::REIN_PLACE_SET* set);

  CString m_strDBName;
};
