// A whole SMDF through the archive: the master data document generated straight from the record
// is byte for byte what CMapXml writes for the record's map, and it reads back as the record.
// Also the record's reflection: FindField's archive paths and SetFieldText's checked values.
#include "mdf/smdf_xml.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "mdf/map_xml.h"
#include "mdf/master_data_file.h"
#include "mdf/record_desc.h"
#include "mdf/smdf.h"

namespace {

TEST(MasterDataDocument, TheRecordRoadWritesTheMapRoadsBytesAndReadsBack) {
  std::mt19937 rng(11);
  for (int round = 0; round < 4; ++round) {
    SMDF rec;
    auto* p = reinterpret_cast<unsigned char*>(&rec);
    for (std::size_t i = 0; i < sizeof rec; ++i)
      p[i] = round == 0 ? 0 : static_cast<unsigned char>(rng());
    ArchiverDataMap map;
    MapSMDF(rec, map);
    CMapXml xml;
    IXMLDOMDocument* doc = xml.MapToXml(map, "MDF", qel::kMdfArchiveVersion);
    ASSERT_NE(doc, nullptr);
    const std::string text = qel::MdfDocument(rec);
    ASSERT_EQ(text, doc->xml()) << "round " << round;

    SMDF back;
    std::memset(&back, 0, sizeof back);
    ASSERT_EQ(qel::UnMapXmlToSMDF(text.data(), text.size(), back), qel::SmdfXmlStatus::kOk);
    ArchiverDataMap again;
    MapSMDF(back, again);
    CMapXml other;
    EXPECT_EQ(other.MapToXml(again, "MDF", qel::kMdfArchiveVersion)->xml(), text)
        << "every field came back";
  }
}

TEST(RecordReflection, FindFieldResolvesArchivePaths) {
  const qel::RecordDesc& layout = qel::SmdfLayout();
  // Paths that end at a nested record or a record array's element, and an array of values
  // (every leaf's offset is checked by the walk below). Offsets from the documented layout.
  const struct {
    const char* path;
    std::uint32_t offset, size;
    qel::FieldKind kind;
    int element;
  } found[] = {
      {"JoistCriteria.Girder", 324 + 256, 12, qel::FieldKind::kRecord, -1},
      {"arHangerTrialGroups[2]", 7272 + 2 * 168, 168, qel::FieldKind::kRecord, 2},
      {"ColorRef", 2044, 196, qel::FieldKind::k_COLORREF, -1},
  };
  for (const auto& f : found) {
    SCOPED_TRACE(f.path);
    const qel::FieldRef ref = qel::FindField(layout, f.path);
    ASSERT_TRUE(ref);
    EXPECT_EQ(ref.offset, f.offset);
    EXPECT_EQ(ref.Size(), f.size);
    EXPECT_EQ(ref.field->kind, f.kind);
    EXPECT_EQ(ref.element, f.element);
  }
  // What the archive does not name: unknown parts, a bare record array, indices out of range or
  // written otherwise than "%u", a path through a value, empty parts.
  for (const char* path :
       {"", "Nope", "units", "arHangerTrialGroups", "arHangerTrialGroups[3]",
        "arHangerTrialGroups[01]", "arHangerTrialGroups[-1]", "arHangerTrialGroups[1", "Units[0]",
        "Units.x", "JoistCriteria.", ".Units", "JoistCriteria..Girder", "ColorRef[0]"})
    EXPECT_FALSE(qel::FindField(layout, path)) << path;
  // Every leaf of the table is found by its own path.
  int leaves = 0;
  const auto walk = [&](auto&& self, const qel::RecordDesc& rec, const std::string& prefix,
                        std::uint32_t base) -> void {
    for (std::uint32_t i = 0; i < rec.field_count; ++i) {
      const qel::FieldDesc& f = rec.fields[i];
      for (std::uint32_t k = 0; k < (f.count ? f.count : 1); ++k) {
        const std::string name =
            prefix + f.name + (f.count ? "[" + std::to_string(k) + "]" : std::string());
        const std::uint32_t at = base + f.offset + k * f.size;
        if (f.record) {
          self(self, *f.record, name + ".", at);
          continue;
        }
        const qel::FieldRef ref = qel::FindField(layout, name);
        ASSERT_TRUE(ref) << name;
        EXPECT_EQ(ref.offset, at) << name;
        ++leaves;
      }
    }
  };
  walk(walk, layout, "", 0);
  EXPECT_GT(leaves, 1000);
}

TEST(RecordReflection, SetFieldTextTakesOnlyValuesThatFit) {
  const qel::RecordDesc& layout = qel::SmdfLayout();
  SMDF m;
  std::memset(&m, 0x5A, sizeof m);
  const SMDF before = m;
  std::string error;
  auto set = [&](const char* path, const char* text) {
    error.clear();
    return qel::SetFieldText(qel::FindField(layout, path), &m, text, error);
  };
  EXPECT_TRUE(set("NumStories", " -12 "));
  EXPECT_EQ(m.NumStories, -12);
  EXPECT_TRUE(set("JoistCriteria.DefLoad.UniLoad.Type", "+3"));
  EXPECT_EQ(m.JoistCriteria.DefLoad.UniLoad.Type, 3);
  EXPECT_TRUE(set("CodeSelection", "255"));
  EXPECT_EQ(m.CodeSelection, 255);
  EXPECT_TRUE(set("Version", "17.25"));
  EXPECT_EQ(m.Version, 17.25f);
  EXPECT_TRUE(set("dDiaphEccenX", "1e-300"));
  EXPECT_EQ(m.dDiaphEccenX, 1e-300);
  EXPECT_TRUE(set("EuroCodeFactor", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21"));
  EXPECT_EQ(m.EuroCodeFactor[20], 21.0f);
  EXPECT_TRUE(set("JobName", "Tower"));
  EXPECT_STREQ(m.JobName, "Tower");
  EXPECT_EQ(m.JobName[71], 0) << "the rest of the field is zeroed";
  EXPECT_TRUE(set("JobName", std::string(71, 'j').c_str()));
  const SMDF good = m;
  // Values that do not fit leave the record untouched and say why.
  const char* bad[][2] = {
      {"NumStories", "12x"},   {"NumStories", "2147483648"}, {"NumStories", ""},
      {"NumStories", "1.5"},   {"CodeSelection", "256"},     {"CodeSelection", "-1"},
      {"Version", "nan"},      {"Version", "1e39"},          {"Version", "abc"},
      {"dDiaphEccenX", "inf"}, {"EuroCodeFactor", "1,2"},    {"EuroCodeFactor", "1"},
      {"JoistCriteria", "1"},  {"FontBody.lfFont", "1"},     {"arHangerTrialGroups[0]", "1"},
  };
  for (const auto& b : bad) {
    EXPECT_FALSE(set(b[0], b[1])) << b[0] << "=" << b[1];
    EXPECT_FALSE(error.empty());
  }
  EXPECT_FALSE(set("JobName", std::string(72, 'j').c_str()));
  EXPECT_NE(error.find("71 characters"), std::string::npos) << error;
  EXPECT_FALSE(set("NoSuchField", "1"));
  EXPECT_EQ(std::memcmp(&m, &good, sizeof m), 0);
  EXPECT_NE(std::memcmp(&m, &before, sizeof m), 0);
}

}  // namespace
