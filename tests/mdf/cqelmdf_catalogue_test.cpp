// The settings catalogue of a new model, row by row, in an English and a metric model: the key
// each row names (with "Metric" where the metric rule adds it) is asked with the row's default,
// and a value given for it lands in the row's field, in base units as the row's conversion says.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fake_defaults.h"
#include "mdf/cqelmdf.h"
#include "platform/resources.h"
#include "res/string_ids.h"

namespace {

enum Kind { kFlag, kInt, kNumber, kText, kChoice, kUnstored };
enum Conversion { kNone, kLength, kStress, kDensity, kSlot4, kSlot9 };

struct Row {
  unsigned section, key;
  std::size_t offset, size;
  Kind kind;
  Conversion conv;
  const char* def;
  const char* metricDef;
};

namespace rows {
using namespace qel;  // the rows name sections and keys by string-table name
#define QEL_SETTING(group, section, key, field, kind, conv, def, mdef) \
  Row{section, key, offsetof(SMDF, field), sizeof(SMDF::field), kind, conv, def, mdef},
#define QEL_SETTING_UNSTORED(group, section, key, conv, def, mdef) \
  Row{section, key, 0, 0, kUnstored, conv, def, mdef},
const Row kCatalogue[] = {
#include "mdf/settings_catalogue_internal.def"
};
#undef QEL_SETTING
#undef QEL_SETTING_UNSTORED
}  // namespace rows

// The divisor that takes a value in the key's unit system to base units.
double Divisor(const Row& r, bool metricValue) {
  if (!metricValue) return 1.0;
  switch (r.conv) {
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
      return 1.0;
  }
}

bool EndsWithMetric(const std::string& s) {
  return s.size() > 6 && s.compare(s.size() - 6, 6, "Metric") == 0;
}

TEST(SettingsCatalogue, EveryRowReadsItsKeyIntoItsField) {
  // One answer per row, all given at once; a field that two rows fill keeps the later row's.
  std::map<std::size_t, std::size_t> lastRowOfField;
  for (std::size_t i = 0; i < std::size(rows::kCatalogue); ++i)
    if (rows::kCatalogue[i].kind != kUnstored) lastRowOfField[rows::kCatalogue[i].offset] = i;

  for (int units : {0, 1}) {
    SCOPED_TRACE(units ? "metric" : "English");
    qeltest::FakeDefaults settings;
    struct Expect {
      std::string sectionKey, def, answer;
      bool metricValue;
    };
    std::vector<Expect> expects;
    std::map<std::string, std::string> answerOfKey;  // rows that read one key get one answer
    for (std::size_t i = 0; i < std::size(rows::kCatalogue); ++i) {
      const Row& r = rows::kCatalogue[i];
      const std::string section = r.section ? qel::FindResString(r.section) : "SpecialProv";
      std::string key = qel::FindResString(r.key);
      const bool dim = r.conv != kNone, metricKey = dim && EndsWithMetric(key);
      if (dim && !metricKey && units != 0) key += "Metric";
      const bool metricValue = dim && (metricKey || units != 0);
      std::string answer;
      switch (r.kind) {
        case kFlag:
          answer = std::string(r.def) == "TRUE" ? "FALSE" : "TRUE";
          break;
        case kInt:
          answer = std::to_string(2 + i % 97);
          break;
        case kNumber:
          answer = std::to_string(1.5 + 0.25 * static_cast<double>(i % 50));
          break;
        case kText:
          answer = "T" + std::to_string(i);
          break;
        default:
          answer = "no such choice";
      }
      answer = answerOfKey.emplace(qeltest::Lower(section + "|" + key), answer).first->second;
      settings.Set(section, key, answer);
      expects.push_back(
          {section + "|" + key, metricValue ? r.metricDef : r.def, answer, metricValue});
    }
    SMDF m{};
    CQelMDF(units, &m).FileNewInit(units, "J");
    const auto* bytes = reinterpret_cast<const unsigned char*>(&m);
    for (std::size_t i = 0; i < std::size(rows::kCatalogue); ++i) {
      const Row& r = rows::kCatalogue[i];
      const Expect& e = expects[i];
      SCOPED_TRACE(e.sectionKey);
      if (r.kind == kUnstored || lastRowOfField[r.offset] != i) continue;
      const unsigned char* p = bytes + r.offset;
      std::int64_t stored = 0;
      if (r.size == 1) stored = *p;
      if (r.size == 4 && r.kind != kNumber) stored = *reinterpret_cast<const std::int32_t*>(p);
      switch (r.kind) {
        case kFlag:
          EXPECT_EQ(stored, e.answer == "TRUE" ? 1 : 0);
          break;
        case kInt:
          EXPECT_EQ(stored, std::strtol(e.answer.c_str(), nullptr, 10));
          break;
        case kChoice:
          EXPECT_EQ(stored, 0);
          break;
        case kText:
          EXPECT_EQ(std::string(reinterpret_cast<const char*>(p)), e.answer);
          break;
        case kNumber: {
          const double want = std::strtod(e.answer.c_str(), nullptr) / Divisor(r, e.metricValue);
          if (r.size == 4) {
            EXPECT_FLOAT_EQ(*reinterpret_cast<const float*>(p), static_cast<float>(want));
          } else {
            EXPECT_DOUBLE_EQ(*reinterpret_cast<const double*>(p), want);
          }
          break;
        }
        case kUnstored:
          break;
      }
    }
    // Each key was asked with its row's default (rows reading one key share it).
    for (const Expect& e : expects) EXPECT_EQ(settings.AskedDefault(e.sectionKey), e.def);
  }
}

}  // namespace
