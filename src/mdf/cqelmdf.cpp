// CQelMDF: construction, units, identity and the new-model sequence. The groups that read the
// settings file are in cqelmdf_groups.cpp, the built-in tables in cqelmdf_tables.cpp.
#include "mdf/cqelmdf.h"

#include <cstdio>
#include <cstring>

#include "mdf/defaults_reader_internal.h"
#include "mdf/settings.h"
#include "platform/ctime.h"
#include "platform/guid.h"
#include "platform/profile.h"
#include "platform/resources.h"

QEL_IMPLEMENT_SERIAL(CQelMDF, CObject, 1)

SMDF CQelMDF::m_Mdf_{};
bool CQelMDF::m_bStaticsInitialized = false;
CString CQelMDF::m_strTrue;
CString CQelMDF::m_strFalse;

namespace {

constexpr float kRecordVersion = 17.3f;

}  // namespace

void CQelMDF::InitStatics() {
  if (m_bStaticsInitialized) return;
  m_strTrue = qel::LoadResString(qel::kIdsTRUE);
  m_strFalse = qel::LoadResString(qel::kIdsFALSE);
  m_bStaticsInitialized = true;
}

CQelMDF::CQelMDF() : m_pMdf(&m_Mdf_), m_afUnit{} {
  InitStatics();
  SetUnits(0);
  SetUnits(m_pMdf->Units);
}

CQelMDF::CQelMDF(const CQelMDF& other) : m_pMdf(other.m_pMdf), m_afUnit{} {
  InitStatics();
  SetUnits(0);
  SetUnits(m_pMdf->Units);
}

CQelMDF::CQelMDF(int units, SMDF* pMdf) : m_pMdf(pMdf ? pMdf : &m_Mdf_), m_afUnit{} {
  InitStatics();
  SetUnits(0);
  SetUnits(units);
}

CQelMDF::~CQelMDF() = default;

void CQelMDF::SetJobName(const char* name) {
  qel::CopyFixedText(m_pMdf->JobName, sizeof m_pMdf->JobName, name);
}

void CQelMDF::SetUnits(int units) {
  if (units < 0 || units > 2) return;  // an unknown system keeps what is loaded
  for (int i = 0; i < kUnitCount; ++i) {
    m_astrUnit[i] = m_aUnits_[units][i].label;
    m_afUnit[i] = m_aUnits_[units][i].factor;
  }
}

float CQelMDF::GetUnitValue(UnitId id) const {
  return (id >= 0 && id < kUnitCount) ? m_afUnit[id] : 0.0f;
}

CString CQelMDF::GetUnitString(UnitId id) const {
  return (id >= 0 && id < kUnitCount) ? m_astrUnit[id] : CString();
}

void CQelMDF::GetTimeStamp() {
  const CTime now = CTime::GetCurrentTime();
  const CString date = now.Format(qel::LoadResString(qel::kIdsDateFormat));
  const CString time = now.Format(qel::LoadResString(qel::kIdsTimeFormat));
  qel::CopyFixedText(m_pMdf->Date, sizeof m_pMdf->Date, date);
  qel::CopyFixedText(m_pMdf->Time, sizeof m_pMdf->Time, time);
}

CString CQelMDF::GenerateGUID() {
  GUID g{};
  if (CoCreateGuid(&g) != S_OK) return CString();
  char text[40];
  std::snprintf(text, sizeof text,
                "%.8X-%.4hX-%.4hX-%.2hhX%.2hhX-%.2hhX%.2hhX%.2hhX%.2hhX%.2hhX%.2hhX",
                static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return CString(text);
}

void CQelMDF::SetModelID() {
  const CString id = GenerateGUID();
  qel::CopyFixedText(m_pMdf->ModelID, sizeof m_pMdf->ModelID, id);
}

int CQelMDF::FileNewInit(int units, const char* jobName) {
  // One logical read of the user's defaults: the settings file is checked once, not per key.
  const qel::DefaultsReadBatch batch;
  std::memset(static_cast<void*>(m_pMdf), 0, sizeof(SMDF));
  m_pMdf->Units = units;
  SetUnits(units);
  SetJobName(jobName);
  SetDefault_();

  SetMiscDefaultsFromProfiler_();
  SetCodesFromProfiler_();
  SetPenColorsFromProfiler_();
  SetDXFDefaultsFromProfiler_();
  SetFrameDefaultsFromProfiler_();
  SetDeflectionCriteriaFromProfiler_();
  SetStudsFromProfiler_();
  SetCanadaFromProfiler_();
  SetBritishFromProfiler_();
  SetSmartbeamDefaultsFromProfiler();
  SetFoundationDefaultsFromProfiler_();
  SetReportGenDefaultsFromProfiler_();
  SetJointCheckCriteriaFromProfiler_();
  SetSpecialProvCriteriaFromProfiler_();
  SetTransvReinfCriteriaFromProfiler();
  SetUKVibrationCriteriaFromProfiler();
  SetComboCriteriaFromProfiler();
  SetComboCodeFromProfiler();
  SetConcBeamCriteriaFromProfiler();
  SetConColCriteriaFromProfiler();
  SetConAnalysisCriteriaFromProfiler();
  SetConcCommonCriteriaFromProfiler();
  SetConcBeam81CriteriaFromProfiler();
  SetConcCol81CriteriaFromProfiler();
  Set82DefaultsFromProfiler();
  Set90DefaultsFromProfiler();
  Set100DefaultsFromProfiler();
  Set110DefaultsFromProfiler();
  Set111DefaultsFromProfiler();
  Set113DefaultsFromProfiler();
  Set121DefaultsFromProfiler();
  Set130DefaultsFromProfiler();
  Set131DefaultsFromProfiler();
  Set142DefaultsFromProfiler();
  Set143DefaultsFromProfiler();
  Set144DefaultsFromProfiler();
  Set145DefaultsFromProfiler();
  Set146DefaultsFromProfiler();
  Set147DefaultsFromProfiler();
  Set150xDefaultsFromProfiler();
  Set2ndOrderAdvancedAnalysisCriteria();
  Set1601RBSDefaults();

  GetTimeStamp();
  SetModelID();
  return 1;
}

void CQelMDF::SetDefault_() {
  SMDF& m = *m_pMdf;
  m.Version = kRecordVersion;
  m.fModelCreateVer = kRecordVersion;
  m.IgnoreJointDepth = 1;
  m.RecalcDiaphragm = 1;
  m.RecalcMinMaxXY = 1;
  m.GroundLevel = -1;
  m.GroundLevelWindXDir = -1;
  m.GroundLevelWindYDir = -1;
  for (MemberDisplayOptions* o : {&m.optGravColumn, &m.optLatColumn, &m.optGravBeam, &m.optLatBeam,
                                  &m.optGravWall, &m.optLatWall, &m.optBrace, &m.optFloorShell}) {
    o->Display = 1;
    o->Label = 0;
  }
  m.optGravBeam.Shrink = 1;
  m.FrameTextScale = 1.0f;
  m.SteelDesignParam1 = 0.4f;
  m.SteelDesignParam3 = 1.0f;
  for (int i = 0; i < 21; ++i) m.EuroCodeFactor[i] = m_aEuroCode[i].value;
  for (int i = 0; i < 10; ++i) m.DemandCapacityLimit[i] = m_aDemandCapacityLimit[i].value;
  for (int i = 0; i < 10; ++i) {
    m.DeflectionInteractionLimit[i] = m_aDeflectionInteractionLimit[i].value;
  }
  m.DiaphEccen = 5;
  m.dDiaphEccenX = 5.0;
  m.dDiaphEccenY = 5.0;
  m.eGravAnalysisStatus = 3;
  m.eConcColStatus = 3;
  m.eConcBeamStatus = 3;
  qel::CopyFixedText(m.CONNECTIONProjectGUID, sizeof m.CONNECTIONProjectGUID,
                     "00000000-0000-0000-0000-000000000000");
  m.bCONNECTIONProjectGUIDSet = 0;
  qel::CopyFixedText(m.CONNECTIONProjectName, sizeof m.CONNECTIONProjectName, "");
}
