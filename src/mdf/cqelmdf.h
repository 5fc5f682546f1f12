// CQelMDF: one master data record (SMDF) with the defaults of a new model.
//
// FileNewInit zeroes the record, sets the fixed defaults (SetDefault_) and then runs the default
// groups in a fixed order; each group reads the user's defaults from the settings file and
// stores them in the record in base units (inches, kips, ksi, pcf), whatever the model's unit
// system: a metric model reads the "...Metric" form of a dimensional key and divides the value
// by the factor of its kind. The version groups are public so that a caller holding a model of
// an older version can give its newer fields the user's defaults.
//
// The record is not owned. Class-wide state (a default record, the "TRUE"/"FALSE" texts and the
// built-in tables) is shared by all objects; the library is used by one thread at a time.
#pragma once

#include <cstdint>
#include <string>

#include "mdf/smdf.h"
#include "platform/cobject.h"
#include "platform/cstring.h"
#include "platform/win_types.h"

class CArchive;

// Reads the text stored under `key` in `section` of the settings file, or `def` when the file
// or the key is missing. The model defaults read every key through one such function.
using QelMdfProfileReader = std::string (*)(const char* section, const char* key, const char* def);

// Writes `value` under `key` in `section` of the settings file; true when written.
using QelMdfProfileWriter = bool (*)(const char* section, const char* key, const char* value);

class CQelMDF : public CObject {
  QEL_DECLARE_SERIAL(CQelMDF)

 public:
  // The 16 unit slots of m_aUnits_.
  enum UnitId {
    kLength = 0,
    kLengthLarge,
    kDensity,
    kStress,
    kAreaLoad,
    kLineLoad,
    kMoment,
    kForce,
    kWeight,
    kWeightPerLength,
    kMass,
    kMassInertia,
    kSpeed,
    kVelocity,
    kAcceleration,
    kLengthSmall,
    kUnitCount
  };

  struct UnitEntry {
    const char* label;
    float factor;
  };
  struct CamberEntry {
    UINT key;
    std::uint32_t offset;  // of the f32 field in SMDF
    float base, metric;
  };
  struct MiscMemberEntry {
    const char* key;
    std::uint32_t offset;  // of the field in SMDF
    std::uint32_t size;    // 4 (f32) or 8 (f64)
    float base, metric;
  };
  enum MiscConvert { kConvStress = 0, kConvDensity = 1, kConvLength = 2 };
  struct FactorEntry {
    const char* key;
    float value;
  };
  struct BuildingCodeEntry {
    const char* label;
    char letter;
    int llr;
  };
  struct SteelCodeEntry {
    const char* label;
    char letter;
  };
  struct DxfEntry {
    const char* key;  // also the SMDF field filled
    std::uint32_t offset, size;
    const char* def;
  };

  CQelMDF();
  CQelMDF(const CQelMDF& other);
  CQelMDF(int units, SMDF* pMdf);
  CQelMDF& operator=(const CQelMDF&) = delete;
  ~CQelMDF() override;

  static void InitStatics();

  SMDF* GetMdf() { return m_pMdf; }
  void SetJobName(const char* name);
  void SetUnits(int units);
  float GetUnitValue(UnitId id) const;
  CString GetUnitString(UnitId id) const;

  int FileNewInit(int units, const char* jobName);
  void GetTimeStamp();
  static CString GenerateGUID();
  void SetModelID();

  // The archive forms of the record go through the master data file's reader and writer.
  void Serialize(CArchive& ar) override;
  void ReadMdf(CArchive& ar);
  void WriteMdf(CArchive& ar);

  static void FixTheSmarbeamConnectionSetting();

  // Default groups that the suite's programs run on their own.
  void Set81DefaultsFromProfiler();
  void Set82DefaultsFromProfiler();
  void Set90DefaultsFromProfiler();
  void Set100DefaultsFromProfiler();
  void Set110DefaultsFromProfiler();
  void Set111DefaultsFromProfiler();
  void Set113DefaultsFromProfiler();
  void Set121DefaultsFromProfiler();
  void Set130DefaultsFromProfiler();
  void Set131DefaultsFromProfiler();
  void Set142DefaultsFromProfiler();
  void Set143DefaultsFromProfiler();
  void Set144DefaultsFromProfiler();
  void Set145DefaultsFromProfiler();
  void Set146DefaultsFromProfiler();
  void Set147DefaultsFromProfiler();
  void Set150xDefaultsFromProfiler();
  void Set2ndOrderAdvancedAnalysisCriteria();
  void Set1601RBSDefaults();
  void SetConAnalysisCriteriaFromProfiler();
  void SetConColCriteriaFromProfiler();
  void SetConcBeamCriteriaFromProfiler();
  void SetConcCommonCriteriaFromProfiler();
  void SetTransvReinfCriteriaFromProfiler();
  void SetUKVibrationCriteriaFromProfiler();
  void SetSmartbeamDefaultsFromProfiler();
  void SetComboCriteriaFromProfiler();
  void SetComboCodeFromProfiler();
  void SetConcBeam81CriteriaFromProfiler();
  void SetConcCol81CriteriaFromProfiler();
  void SetMDFTableTimeStamps();

  // Where settings come from and go to: the suite's settings file unless a host (or a test)
  // installs its own reader or writer; null restores the settings file.
  static void SetProfileReader(QelMdfProfileReader reader);
  static QelMdfProfileReader GetProfileReader();
  static void SetProfileWriter(QelMdfProfileWriter writer);

  // Members.
  SMDF* m_pMdf;
  CString m_astrUnit[kUnitCount];
  float m_afUnit[kUnitCount];

  // Class-wide data.
  static SMDF m_Mdf_;
  static bool m_bStaticsInitialized;
  static CString m_strTrue;
  static CString m_strFalse;
  static const UnitEntry m_aUnits_[3][kUnitCount];
  static const float m_afStudDef_[2][3];
  static const CamberEntry m_afCamber_[16];
  static const MiscMemberEntry m_aMiscMember_[40];
  static const int m_anMiscConvert_[40];
  static const FactorEntry m_aEuroCode[21];
  static const FactorEntry m_aDemandCapacityLimit[10];
  static const FactorEntry m_aDeflectionInteractionLimit[10];
  static const char* const m_auEuroRedFy[3];
  static const char* const m_auRolledW_[3];
  static const char* const m_auWWF_[3];
  static const char* const m_auHSSRect_[3];
  static const char* const m_auHSSRound_[2];
  static const char* const m_auChannel_[3];
  static const char* const m_auDoubleAngle_[2];
  static const char* const m_auTee_[2];
  static const char* const m_auRodBar_[2];
  static const BuildingCodeEntry m_aBuildingCode_[16];
  static const SteelCodeEntry m_aSteelCode_[17];
  static constexpr int kCastCodeCount = 8;  // the cast-beam codes: the first rows of m_aSteelCode_
  static const char* const m_auPenEntry_[49];
  static const COLORREF m_acrPen_[49];
  static const DxfEntry m_aDXFDef_[20];
  static constexpr float m_fAltUnits3_ = 16.0184f;
  static constexpr float m_fAltUnits4_ = 6.89475f;

 private:
  void SetDefault_();
  void SetMiscDefaultsFromProfiler_();
  void SetCodesFromProfiler_();
  void SetBuildingCode_(const char* label);
  static char SetSteelCode_(const char* label);
  static char SetCastCode_(const char* label);
  void SetPenColorsFromProfiler_();
  COLORREF GetPenColor_(int index) const;
  void SetDXFDefaultsFromProfiler_();
  void SetFrameDefaultsFromProfiler_();
  void SetDeflectionCriteriaFromProfiler_();
  void SetStudsFromProfiler_();
  void SetCanadaFromProfiler_();
  void SetBritishFromProfiler_();
  void SetFoundationDefaultsFromProfiler_();
  void SetReportGenDefaultsFromProfiler_();
  void SetJointCheckCriteriaFromProfiler_();
  void SetSpecialProvCriteriaFromProfiler_();
  void SetWebPenetrationDefaults_();

  // Runs every catalogue row of one group (see settings_catalogue_internal.def).
  void ReadGroup_(int group);
  // The metric rule: the key's text, with "Metric" appended in a metric model.
  std::string KeyText_(UINT key, bool dimensional) const;
  // Divisor that takes a value read in the model's unit system to base units.
  float Divisor_(int conversion) const;
  bool Metric_() const { return m_pMdf->Units != 0; }
};
