// The default groups of a new model: the one reader that walks the settings catalogue, and the
// groups whose keys need more than a catalogue row (codes, pen colours, drawing-import names,
// camber and stud tables, material table, combinations, table time stamps, hanger groups).
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>
#include <utility>

#include "mdf/cqelmdf.h"
#include "mdf/defaults_reader_internal.h"
#include "mdf/settings.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/resources.h"
#include "res/string_ids.h"

namespace {

enum Group {
  kMisc,
  kCodes,
  kFrame,
  kDeflection,
  kStuds,
  kCanada,
  kBritish,
  kCastBeams,
  kFoundation,
  kReportStyles,
  kJointCheck,
  kSpecialProv,
  kTransvReinf,
  kUKVibration,
  kConcBeam,
  kConcCol,
  kConcAnalysis,
  kConcCommon,
  kConcBeam81,
  kConcCol81,
  kV82,
  kV90,
  kV100,
  kV111,
  kV113,
  kV121,
  kV130,
  kV131,
  kV142,
  kV143,
  kV144,
  kV145,
  kV146,
  kV147,
  kV150x,
  kSecondOrder,
  kRBS,
  kWebPen,
  kGroupCount
};

enum Kind { kFlag, kInt, kNumber, kText, kChoice, kUnstored };
enum Conversion { kNone, kLength, kStress, kDensity, kSlot4, kSlot9 };

struct Setting {
  int group;
  UINT section;  // string-table number; 0 is the literal section "SpecialProv"
  UINT key;
  std::uint32_t offset, size;
  Kind kind;
  Conversion conv;
  const char* def;
  const char* metricDef;
};

template <typename T>
constexpr bool KindFits(Kind kind) {
  using U = std::remove_cvref_t<T>;
  switch (kind) {
    case kFlag:
    case kInt:
    case kChoice:
      return std::is_integral_v<U> && (sizeof(U) == 4 || sizeof(U) == 1);
    case kNumber:
      return std::is_floating_point_v<U>;
    case kText:
      return std::is_array_v<U> && std::is_same_v<std::remove_extent_t<U>, char>;
    case kUnstored:
      return false;
  }
  return false;
}

#define QEL_FIELD_TYPE(field) decltype(std::declval<SMDF&>().field)
#define QEL_SETTING(group, section, key, field, kind, conv, def, mdef) \
  static_assert(KindFits<QEL_FIELD_TYPE(field)>(kind), "key " #key ": kind does not fit " #field);
#define QEL_SETTING_UNSTORED(...)
#include "mdf/settings_catalogue_internal.def"
#undef QEL_SETTING
#undef QEL_SETTING_UNSTORED

#define QEL_SETTING(group, section, key, field, kind, conv, def, mdef) \
  Setting{group,                                                       \
          section,                                                     \
          key,                                                         \
          static_cast<std::uint32_t>(offsetof(SMDF, field)),           \
          static_cast<std::uint32_t>(sizeof(QEL_FIELD_TYPE(field))),   \
          kind,                                                        \
          conv,                                                        \
          def,                                                         \
          mdef},
#define QEL_SETTING_UNSTORED(group, section, key, conv, def, mdef) \
  Setting{group, section, key, 0, 0, kUnstored, conv, def, mdef},
namespace rows {
using namespace qel;  // the rows name their sections and keys by string-table name
constexpr Setting kCatalogue[] = {
#include "mdf/settings_catalogue_internal.def"
};
}  // namespace rows
using rows::kCatalogue;
#undef QEL_SETTING
#undef QEL_SETTING_UNSTORED
#undef QEL_FIELD_TYPE

// First row of each group; rows of one group are contiguous in the catalogue.
struct GroupRange {
  int begin = 0, end = 0;
};
const GroupRange& RangeOf(int group) {
  static const auto ranges = [] {
    std::array<GroupRange, kGroupCount> r{};
    constexpr int n = static_cast<int>(std::size(kCatalogue));
    for (int i = 0; i < n;) {
      int j = i;
      while (j < n && kCatalogue[j].group == kCatalogue[i].group) ++j;
      r[kCatalogue[i].group] = {i, j};
      i = j;
    }
    return r;
  }();
  return ranges[group];
}

// Texts matched by the keys read as a choice; the index of the match is stored, 0 when none.
struct ChoiceList {
  UINT key;
  const char* texts[6];
};
constexpr ChoiceList kChoices[] = {
    {qel::kIdsFrameType, {"GRAVITY", "LATERAL"}},
    {qel::kIdsCompositeFlag, {"NONCOMPOSITE", "COMPOSITE"}},
    {qel::kIdsDefaultMaterial,
     {"STEEL", "STEELJOIST", "C-Beam", "CONCRETE", "Other", "Westok Cellular Beam"}},
    {qel::kIdsCastConnTypeAtBeams, {"web", "seated", "end plate"}},
    {qel::kIdsCastConnTypeAtColumns, {"web", "seated", "end plate"}},
    {qel::kIdsCastConnTypeAtWalls, {"web", "seated", "end plate"}},
};

bool EqualNoCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    if (std::tolower(static_cast<unsigned char>(*a)) !=
        std::tolower(static_cast<unsigned char>(*b)))
      return false;
  }
  return *a == *b;
}

int ChoiceIndex(UINT key, const std::string& text) {
  for (const ChoiceList& c : kChoices) {
    if (c.key != key) continue;
    for (int i = 0; i < 6 && c.texts[i]; ++i) {
      if (EqualNoCase(c.texts[i], text.c_str())) return i;
    }
  }
  return 0;
}

std::string Read(const char* section, const char* key, const char* def) {
  return qel::ReadDefault(section, key, def);
}

const char* SectionName(UINT id) {
  if (id == 0) return "SpecialProv";
  const char* s = qel::FindResString(id);
  return s ? s : "";
}

std::string SectionText(UINT id) { return SectionName(id); }

bool EndsWithMetric(const char* key) {
  const std::size_t n = std::strlen(key);
  return n > 6 && std::strcmp(key + n - 6, "Metric") == 0;
}

bool IsTrue(const std::string& s) { return EqualNoCase(s.c_str(), "TRUE"); }

// The profile integer reading: leading blanks, an optional sign, decimal digits; else 0.
std::int32_t ToInt(const std::string& s) {
  const char* p = s.c_str();
  while (*p == ' ' || *p == '\t') ++p;
  bool neg = false;
  if (*p == '-' || *p == '+') neg = (*p++ == '-');
  std::int64_t v = 0;
  while (*p >= '0' && *p <= '9') {
    v = v * 10 + (*p++ - '0');
    if (v > 0xFFFFFFFFll) v = 0xFFFFFFFFll;  // clamp, then wrap like an unsigned read
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(neg ? -v : v));
}

double ToDouble(const std::string& s) {
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  return (end == s.c_str() || !std::isfinite(v)) ? 0.0 : v;
}

void StoreInt(SMDF* m, std::uint32_t offset, std::uint32_t size, std::int32_t v) {
  unsigned char* p = reinterpret_cast<unsigned char*>(m) + offset;
  if (size == 4) {
    std::memcpy(p, &v, 4);
  } else if (size == 1) {
    *p = static_cast<unsigned char>(v);
  }
}

void StoreNumber(SMDF* m, std::uint32_t offset, std::uint32_t size, double v) {
  unsigned char* p = reinterpret_cast<unsigned char*>(m) + offset;
  if (size == 4) {
    const float f = static_cast<float>(v);
    std::memcpy(p, &f, 4);
  } else if (size == 8) {
    std::memcpy(p, &v, 8);
  }
}

// Divisor of a value that is metric whatever the model's system (the metric column of the units).
float MetricDivisor(Conversion conv) {
  switch (conv) {
    case kLength:
      return CQelMDF::m_aUnits_[1][CQelMDF::kLength].factor;
    case kStress:
      return CQelMDF::m_fAltUnits4_;
    case kDensity:
      return CQelMDF::m_fAltUnits3_;
    case kSlot4:
      return CQelMDF::m_aUnits_[1][CQelMDF::kAreaLoad].factor;
    case kSlot9:
      return CQelMDF::m_aUnits_[1][CQelMDF::kWeightPerLength].factor;
    default:
      return 1.0f;
  }
}

// The value as "%1.<decimals>f" prints it (both are exact decimal roundings of the double).
std::string Fixed(double v, int decimals) {
  char buf[64];
  const auto [end, ec] =
      std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

}  // namespace

std::string CQelMDF::KeyText_(UINT key, bool dimensional) const {
  const char* s = qel::FindResString(key);
  std::string k = s ? s : "";
  if (dimensional && Metric_()) k += "Metric";
  return k;
}

float CQelMDF::Divisor_(int conversion) const {
  if (!Metric_()) return 1.0f;
  float f = 1.0f;
  switch (conversion) {
    case Conversion::kLength:
      f = m_afUnit[kLength];
      break;
    case Conversion::kStress:
      f = m_fAltUnits4_;
      break;
    case Conversion::kDensity:
      f = m_fAltUnits3_;
      break;
    case Conversion::kSlot4:
      f = m_afUnit[kAreaLoad];
      break;
    case Conversion::kSlot9:
      f = m_afUnit[kWeightPerLength];
      break;
    default:
      break;
  }
  return f != 0.0f ? f : 1.0f;
}

void CQelMDF::ReadGroup_(int group) {
  const qel::DefaultsReadBatch batch;  // a group run on its own is one read of the settings too
  const GroupRange& r = RangeOf(group);
  std::string suffixed;
  for (int i = r.begin; i < r.end; ++i) {
    const Setting& s = kCatalogue[i];
    const bool dim = s.conv != kNone;
    const char* section = SectionName(s.section);
    const char* key = qel::FindResString(s.key);
    if (key == nullptr) key = "";
    // A key whose own name ends in "Metric" always holds a metric value and gets no suffix.
    const bool metricKey = dim && EndsWithMetric(key);
    if (dim && !metricKey && Metric_()) {
      suffixed.assign(key).append("Metric");
      key = suffixed.c_str();
    }
    const bool metricValue = dim && (metricKey || Metric_());
    const std::string text = Read(section, key, metricValue ? s.metricDef : s.def);
    const float divisor = metricKey ? MetricDivisor(s.conv) : Divisor_(s.conv);
    switch (s.kind) {
      case kFlag:
        StoreInt(m_pMdf, s.offset, s.size, IsTrue(text) ? 1 : 0);
        break;
      case kInt:
        StoreInt(m_pMdf, s.offset, s.size, ToInt(text));
        break;
      case kChoice:
        StoreInt(m_pMdf, s.offset, s.size, ChoiceIndex(s.key, text));
        break;
      case kNumber:
        StoreNumber(m_pMdf, s.offset, s.size, ToDouble(text) / divisor);
        break;
      case kText:
        qel::CopyFixedText(reinterpret_cast<char*>(m_pMdf) + s.offset, s.size, text.c_str());
        break;
      case kUnstored:
        break;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Groups in the order a new model runs them.

namespace {
constexpr UINT kSecMisc = qel::kIdsMiscDefaults;
constexpr UINT kSecCodes = qel::kIdsCodes;
constexpr UINT kSecPens = qel::kIdsPenColors;
constexpr UINT kSecDxf = qel::kIdsDXFDefaults;
constexpr UINT kSecDeflection = qel::kIdsDeflectionCriteria;
constexpr UINT kSecStuds = qel::kIdsStuds;
constexpr UINT kSecCanada = qel::kIdsCanada;
constexpr UINT kSecEuroRedFy = qel::kIdsCodes;  // the Fy reductions sit with the code choices
}  // namespace

void CQelMDF::SetMiscDefaultsFromProfiler_() {
  ReadGroup_(kMisc);
  const std::string section = SectionText(kSecMisc);
  const bool metric = Metric_();
  for (int i = 0; i < 40; ++i) {
    const MiscMemberEntry& e = m_aMiscMember_[i];
    const std::string key = std::string(e.key) + (metric ? "Metric" : "");
    const std::string def = Fixed(metric ? e.metric : e.base, 3);
    float divisor = 1.0f;
    if (metric) {
      divisor = m_anMiscConvert_[i] == kConvStress    ? m_fAltUnits4_
                : m_anMiscConvert_[i] == kConvDensity ? m_fAltUnits3_
                                                      : m_afUnit[kLength];
    }
    StoreNumber(m_pMdf, e.offset, e.size,
                ToDouble(Read(section.c_str(), key.c_str(), def.c_str())) / divisor);
  }
  const std::string codes = SectionText(kSecEuroRedFy);
  for (int i = 0; i < 3; ++i) {
    m_pMdf->EuroRedFy[i] = static_cast<float>(ToDouble(Read(codes.c_str(), m_auEuroRedFy[i], "0")));
  }
  SetMDFTableTimeStamps();
}

void CQelMDF::SetMDFTableTimeStamps() {
  const std::string folder = Read("Directories", "tables", "");
  struct Table {
    const char* name;
    const char* ext;
    std::int32_t* out;
  };
  SMDF& m = *m_pMdf;
  const Table tables[] = {{m.MasterSteelTableName, ".tab", &m.lMasterTblLastMod},
                          {m.ColTableName, ".col", &m.lStlColTblLastMod},
                          {m.DefSteelTableName, ".bms", &m.lDefStlBeamTblLastMod},
                          {m.AltSteelTableName, ".bms", &m.lAltStlBeamTblLastMod},
                          {m.charRebarTableName, ".ren", &m.lReinTableLastMod}};
  for (const Table& t : tables) {
    // The name fields are terminated by construction (qel::CopyFixedText) or zero from the reset.
    const std::string path = folder + "\\" + t.name + t.ext;
    qel::FileIdentity id;
    if (qel::StatFile(path, id)) {
      const std::int64_t seconds = id.mtimeNs / 1000000000;
      *t.out = static_cast<std::int32_t>(static_cast<std::uint32_t>(seconds));
    } else {
      *t.out = static_cast<std::int32_t>(0xFFFFFFFFu);
    }
  }
}

void CQelMDF::SetBuildingCode_(const char* label) {
  SMDF& m = *m_pMdf;
  char letter = 'I';
  int llr = 2;
  bool known = false;
  for (const BuildingCodeEntry& e : m_aBuildingCode_) {
    if (std::strcmp(e.label, label) == 0) {
      letter = e.letter;
      llr = e.llr;
      known = true;
      break;
    }
  }
  m.CodeSelection = static_cast<std::uint8_t>(letter);
  m.LLRMethod = llr;
  m.IBCLLRMethod = (known && letter == 'I' && llr != 1) ? 1 : 0;
  if (letter == 'C') {
    m.DiaphEccen = 10;
    m.dDiaphEccenX = 10.0;
    m.dDiaphEccenY = 10.0;
  }
}

char CQelMDF::SetSteelCode_(const char* label) {
  for (const SteelCodeEntry& e : m_aSteelCode_) {
    if (std::strcmp(e.label, label) == 0) return e.letter;
  }
  return m_aSteelCode_[0].letter;
}

char CQelMDF::SetCastCode_(const char* label) {
  for (int i = 0; i < kCastCodeCount; ++i) {
    if (std::strcmp(m_aSteelCode_[i].label, label) == 0) return m_aSteelCode_[i].letter;
  }
  return m_aSteelCode_[0].letter;
}

void CQelMDF::SetCodesFromProfiler_() {
  const std::string section = SectionText(kSecCodes);
  const char* sec = section.c_str();
  const CString building = qel::LoadResString(qel::kIdsIBCGen);
  const CString steel = qel::LoadResString(qel::kIdsAISC36016LRFD);
  SetBuildingCode_(Read(sec, KeyText_(qel::kIdsBuildingCode, false).c_str(), building).c_str());
  m_pMdf->BeamAISCSelection = static_cast<std::uint8_t>(
      SetSteelCode_(Read(sec, KeyText_(qel::kIdsBeamSteelCode, false).c_str(), steel).c_str()));
  m_pMdf->ColAISCSelection = static_cast<std::uint8_t>(
      SetSteelCode_(Read(sec, KeyText_(qel::kIdsColSteelCode, false).c_str(), steel).c_str()));
  m_pMdf->PlateAISCSelection = static_cast<std::uint8_t>(
      SetSteelCode_(Read(sec, KeyText_(qel::kIdsPlateSteelCode, false).c_str(), steel).c_str()));
  ReadGroup_(kCodes);
}

COLORREF CQelMDF::GetPenColor_(int index) const {
  const COLORREF d = m_acrPen_[index];
  char def[40];
  std::snprintf(def, sizeof def, "%d,%d,%d", GetRValue(d), GetGValue(d), GetBValue(d));
  const std::string section = SectionText(kSecPens);
  const std::string text = Read(section.c_str(), m_auPenEntry_[index], def);
  unsigned rgb[3] = {0, 0, 0};
  const char* p = text.c_str();
  for (int i = 0; i < 3; ++i) {
    const long v = std::strtol(p, nullptr, 10);
    rgb[i] = static_cast<unsigned>(((v % 256) + 256) % 256);
    const char* comma = std::strchr(p, ',');
    if (!comma) break;
    p = comma + 1;
  }
  return RGB(rgb[0], rgb[1], rgb[2]);
}

void CQelMDF::SetPenColorsFromProfiler_() {
  for (int i = 0; i < 49; ++i) m_pMdf->ColorRef[i] = GetPenColor_(i);
}

void CQelMDF::SetDXFDefaultsFromProfiler_() {
  const std::string section = SectionText(kSecDxf);
  for (const DxfEntry& e : m_aDXFDef_) {
    const std::string text = Read(section.c_str(), e.key, e.def);
    qel::CopyFixedText(reinterpret_cast<char*>(m_pMdf) + e.offset, e.size, text.c_str());
  }
}

void CQelMDF::SetFrameDefaultsFromProfiler_() { ReadGroup_(kFrame); }

void CQelMDF::SetDeflectionCriteriaFromProfiler_() {
  const std::string section = SectionText(kSecDeflection);
  const bool metric = Metric_();
  for (int i = 0; i < 16; ++i) {
    const CamberEntry& e = m_afCamber_[i];
    // The no-camber weight limits are weights per length; everything else is a length.
    const bool weight = (i >= 8 && i <= 11);
    const std::string key = KeyText_(e.key, true);
    const std::string def = Fixed(metric ? e.metric : e.base, 2);
    const float divisor = Divisor_(weight ? Conversion::kSlot9 : Conversion::kLength);
    StoreNumber(m_pMdf, e.offset, 4,
                ToDouble(Read(section.c_str(), key.c_str(), def.c_str())) / divisor);
  }
  ReadGroup_(kDeflection);
}

void CQelMDF::SetStudsFromProfiler_() {
  const std::string section = SectionText(kSecStuds);
  const int row = Metric_() ? 1 : 0;
  struct StudKey {
    UINT key;
    float* field;
    int column;
  };
  const StudKey keys[] = {{qel::kIdsMaxSpacing, &m_pMdf->MaxSpacing, 0},
                          {qel::kIdsMinBFTop3Rows, &m_pMdf->MinBFTop3, 2},
                          {qel::kIdsMinBFTop2Rows, &m_pMdf->MinBFTop2, 1}};
  for (const StudKey& k : keys) {
    const std::string def = Fixed(m_afStudDef_[row][k.column], 1);
    const std::string key = KeyText_(k.key, true);
    *k.field = static_cast<float>(ToDouble(Read(section.c_str(), key.c_str(), def.c_str())) /
                                  Divisor_(Conversion::kLength));
  }
  ReadGroup_(kStuds);
}

void CQelMDF::SetCanadaFromProfiler_() {
  ReadGroup_(kCanada);
  const std::string section = SectionText(kSecCanada);
  CanMaterialSelection& c = m_pMdf->CanMaterial;
  auto read = [&](const char* const* keys, int n, std::int32_t* out) {
    for (int i = 0; i < n; ++i) out[i] = ToInt(Read(section.c_str(), keys[i], "0"));
  };
  read(m_auRolledW_, 3, c.anRolledW);
  read(m_auWWF_, 3, c.anWWF);
  read(m_auHSSRect_, 3, c.anHSSRect);
  read(m_auHSSRound_, 2, c.anHSSRound);
  read(m_auChannel_, 3, c.nChannel);
  read(m_auDoubleAngle_, 2, c.nDoubleAngle);
  read(m_auTee_, 2, c.nTee);
  read(m_auRodBar_, 2, c.nRodBar);
}

void CQelMDF::SetBritishFromProfiler_() { ReadGroup_(kBritish); }

void CQelMDF::SetSmartbeamDefaultsFromProfiler() {
  const std::string section = SectionText(kSecMisc);
  const CString def = qel::LoadResString(qel::kIdsAISC36010LRFD);
  m_pMdf->CastAISCSelection = static_cast<std::uint8_t>(SetCastCode_(
      Read(section.c_str(), KeyText_(qel::kIdsCastellatedBeamCode, false).c_str(), def).c_str()));
  ReadGroup_(kCastBeams);
}

void CQelMDF::SetFoundationDefaultsFromProfiler_() { ReadGroup_(kFoundation); }
void CQelMDF::SetReportGenDefaultsFromProfiler_() { ReadGroup_(kReportStyles); }
void CQelMDF::SetJointCheckCriteriaFromProfiler_() { ReadGroup_(kJointCheck); }
void CQelMDF::SetSpecialProvCriteriaFromProfiler_() { ReadGroup_(kSpecialProv); }
void CQelMDF::SetTransvReinfCriteriaFromProfiler() { ReadGroup_(kTransvReinf); }
void CQelMDF::SetUKVibrationCriteriaFromProfiler() { ReadGroup_(kUKVibration); }

void CQelMDF::SetComboCriteriaFromProfiler() {
  SMDF& m = *m_pMdf;
  for (ComboParams* c : {&m.cmbprmConcrete, &m.cmbprmSoil, &m.cmbprmQELConcrete}) {
    for (int i = 0; i < 10; ++i) {
      c->fValues[i] = -1.0f;
      c->bCheckBoxArray[i] = 0;
    }
    c->nComboBoxIndex = -1;
    c->bLCaseSpcSetting = 0;
    c->fLCaseSpc1 = -1.0f;
    c->fLCaseSpc2 = -1.0f;
  }
  ComboParams& s = m.cmbprmSteelStand;
  const int sdc = m.iSDCSettings;
  for (int i = 0; i < 10; ++i) s.bCheckBoxArray[i] = 0;
  if (sdc < 12) {
    s.fValues[0] = -1.0f;
    s.fValues[1] = -1.0f;
  } else if (sdc == 12) {
    s.fValues[0] = m.BSSeisLoadFactor;
    s.fValues[1] = m.BSImpLoadFactor;
  } else if (sdc == 13) {
    s.fValues[0] = m.EuroCodeFactor[0];
    s.fValues[1] = m.EuroCodeFactor[1];
  }
  const bool euro = (sdc == 13);
  s.fValues[2] = euro ? m.EuroCodeFactor[2] : -1.0f;
  s.fValues[3] = euro ? m.EuroCodeFactor[3] : -1.0f;
  s.fValues[4] = euro ? m.EuroCodeFactor[4] : -1.0f;
  s.fValues[5] = euro ? m.EuroCodeFactor[10] : -1.0f;
  s.fValues[6] = euro ? m.EuroCodeFactor[11] : -1.0f;
  s.fValues[7] = s.fValues[8] = s.fValues[9] = -1.0f;
  s.nComboBoxIndex = m.SteelDesignParam2;
  s.bLCaseSpcSetting = m.bUseCalcRho != 0 ? 1 : 0;
  s.fLCaseSpc1 = m.SteelDesignParam3;
  s.fLCaseSpc2 = m.fRhoY;
  m.cmbprmSteelSpecial.fValues[0] = m.fOmega;
}

// No key of its own: the combination building codes that no group read start as "- None -".
void CQelMDF::SetComboCodeFromProfiler() {
  SMDF& m = *m_pMdf;
  for (auto* f : {&m.cSteelStndBldCode, &m.cSteelSpclBldCode, &m.cQELConcBldgCode}) {
    if ((*f)[0] == '\0') qel::CopyFixedText(*f, sizeof *f, "- None -");
  }
}

void CQelMDF::SetConcBeamCriteriaFromProfiler() { ReadGroup_(kConcBeam); }
void CQelMDF::SetConColCriteriaFromProfiler() { ReadGroup_(kConcCol); }
void CQelMDF::SetConAnalysisCriteriaFromProfiler() { ReadGroup_(kConcAnalysis); }
void CQelMDF::SetConcCommonCriteriaFromProfiler() { ReadGroup_(kConcCommon); }
void CQelMDF::SetConcBeam81CriteriaFromProfiler() { ReadGroup_(kConcBeam81); }
void CQelMDF::SetConcCol81CriteriaFromProfiler() { ReadGroup_(kConcCol81); }

void CQelMDF::Set81DefaultsFromProfiler() {
  SetConcCommonCriteriaFromProfiler();
  SetConcBeam81CriteriaFromProfiler();
  SetConcCol81CriteriaFromProfiler();
}
void CQelMDF::Set82DefaultsFromProfiler() { ReadGroup_(kV82); }
void CQelMDF::Set90DefaultsFromProfiler() { ReadGroup_(kV90); }
void CQelMDF::Set100DefaultsFromProfiler() { ReadGroup_(kV100); }
void CQelMDF::Set110DefaultsFromProfiler() { m_pMdf->lCANCSAImpCategory = 1; }
void CQelMDF::Set111DefaultsFromProfiler() { ReadGroup_(kV111); }
void CQelMDF::Set113DefaultsFromProfiler() { ReadGroup_(kV113); }
void CQelMDF::Set121DefaultsFromProfiler() { ReadGroup_(kV121); }
void CQelMDF::Set130DefaultsFromProfiler() { ReadGroup_(kV130); }
void CQelMDF::Set131DefaultsFromProfiler() { ReadGroup_(kV131); }
void CQelMDF::Set142DefaultsFromProfiler() { ReadGroup_(kV142); }
void CQelMDF::Set143DefaultsFromProfiler() { ReadGroup_(kV143); }

void CQelMDF::Set144DefaultsFromProfiler() {
  ReadGroup_(kV144);
  // Each hanger trial group keeps the section names of its families as one comma-separated
  // list. Families without a third group (channels) are read for the groups they have.
  static constexpr struct {
    const UINT keys[3];
  } kFamilies[] = {
      {{qel::kIdsHangerISectTG1, qel::kIdsHangerISectTG2, qel::kIdsHangerISectTG3}},
      {{qel::kIdsHangerRectHSSTG1, qel::kIdsHangerRectHSSTG2, qel::kIdsHangerRectHSSTG3}},
      {{qel::kIdsHangerRoundHSSTG1, qel::kIdsHangerRoundHSSTG2, qel::kIdsHangerRoundHSSTG3}},
      {{qel::kIdsHangerChannelTG1, 0, 0}},
      {{qel::kIdsHangerTeeTG1, qel::kIdsHangerTeeTG2, qel::kIdsHangerTeeTG3}},
      {{qel::kIdsHangerFltBarTG1, qel::kIdsHangerFltBarTG2, qel::kIdsHangerFltBarTG3}},
      {{qel::kIdsHangerRndBarTG1, qel::kIdsHangerRndBarTG2, qel::kIdsHangerRndBarTG3}},
      {{qel::kIdsHangerSATG1, qel::kIdsHangerSATG2, qel::kIdsHangerSATG3}},
      {{qel::kIdsHangerDATG1, qel::kIdsHangerDATG2, qel::kIdsHangerDATG3}}};
  const std::string section = SectionText(kSecMisc);
  for (int g = 0; g < 3; ++g) {
    std::string names;
    for (const auto& f : kFamilies) {
      if (f.keys[g] == 0) continue;
      const std::string v = Read(section.c_str(), KeyText_(f.keys[g], false).c_str(), "");
      if (v.empty()) continue;
      if (!names.empty()) names += ',';
      names += v;
    }
    HangerTrialGroup& h = m_pMdf->arHangerTrialGroups[g];
    qel::CopyFixedText(h.arGroupNames, sizeof h.arGroupNames, names.c_str());
  }
}

void CQelMDF::Set145DefaultsFromProfiler() { ReadGroup_(kV145); }
void CQelMDF::Set146DefaultsFromProfiler() { ReadGroup_(kV146); }

void CQelMDF::Set147DefaultsFromProfiler() {
  ReadGroup_(kV147);
  SetWebPenetrationDefaults_();
}

void CQelMDF::Set150xDefaultsFromProfiler() { ReadGroup_(kV150x); }
void CQelMDF::Set2ndOrderAdvancedAnalysisCriteria() { ReadGroup_(kSecondOrder); }
void CQelMDF::Set1601RBSDefaults() { ReadGroup_(kRBS); }
void CQelMDF::SetWebPenetrationDefaults_() { ReadGroup_(kWebPen); }

// ---------------------------------------------------------------------------------------------

void CQelMDF::FixTheSmarbeamConnectionSetting() {
  const std::string section = SectionText(kSecMisc);
  const char* sec = section.c_str();
  const char* fixedKey = qel::FindResString(qel::kIdsFixedSmartbeamConType);
  if (IsTrue(Read(sec, fixedKey, "FALSE"))) return;
  for (UINT id : {26942u, 26943u, 26944u}) {
    const char* key = qel::FindResString(id);
    if (EqualNoCase(Read(sec, key, "").c_str(), "seated")) qel::WriteDefault(sec, key, "web");
  }
  qel::WriteDefault(sec, fixedKey, "TRUE");
  MessageBoxA(nullptr, qel::LoadResString(qel::kIdsSeatedConnectionRemoved), "Warning",
              MB_OK | MB_ICONWARNING);
}
