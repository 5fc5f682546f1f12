// New-model defaults read from a real settings file, and from none at all: the file is read as
// one logical read per new model, and the defaults a master data file is read over are kept per
// (unit system, settings contents) without any result a caller could tell apart.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "fake_defaults.h"
#include "mdf/cqelmdf.h"
#include "mdf/master_data_file.h"
#include "mdf/settings.h"
#include "platform/profile.h"
#include "platform/resources.h"
#include "res/string_ids.h"
#include "test_support.h"

namespace {

class SettingsFileTest : public ::testing::Test {
 protected:
  qeltest::SettingsFolders folders_;
};

TEST_F(SettingsFileTest, NoSettingsFileGivesTheBuiltInDefaults) {
  qeltest::MessageCapture boxes;  // the missing file is reported once
  SMDF m{};
  EXPECT_EQ(CQelMDF(1, &m).FileNewInit(1, "Job"), 1);
  EXPECT_FLOAT_EQ(m.DefaultBeamFy, 275.0f / 6.89475f);
  EXPECT_FLOAT_EQ(m.CamberMin, 15.0f / 25.4f);
  EXPECT_LE(boxes.boxes().size(), 1u);
}

TEST_F(SettingsFileTest, ValuesFromTheFileLandConvertedInBothSystems) {
  folders_.Write(
      "[MiscDefaults]\nBeamFy=36\nBeamFyMetric=248.2110\nColTableName = mycols \n"
      "DefaultMaterial=concrete\n[FrameDefaults]\nPDelta=false\nRigidDiaphragm=True\n");
  SMDF e{}, m{};
  CQelMDF(0, &e).FileNewInit(0, "E");
  CQelMDF(1, &m).FileNewInit(1, "M");
  EXPECT_FLOAT_EQ(e.DefaultBeamFy, 36.0f);
  EXPECT_NEAR(m.DefaultBeamFy, 36.0, 1e-4);
  EXPECT_STREQ(e.ColTableName, "mycols");  // trimmed
  EXPECT_EQ(e.DefaultMaterial, 3);         // choices match without regard to case
  EXPECT_EQ(e.PDelta, 0);
  EXPECT_EQ(e.Diaphragm, 1);
}

TEST_F(SettingsFileTest, OneCheckPerNewModelAndChangesSeenByTheNext) {
  folders_.Write("[MiscDefaults]\r\nSpanDepthRatio=30\r\n[FrameDefaults]\r\nColKx=1.2\r\n", 2);
  SMDF m{};
  CQelMDF mdf(0, &m);
  auto before = qel::GetProfileCacheStats();
  EXPECT_EQ(mdf.FileNewInit(0, "Job"), 1);
  auto after = qel::GetProfileCacheStats();
  EXPECT_FLOAT_EQ(m.fSpanDepthRatio, 30.0f);
  EXPECT_FLOAT_EQ(m.ColKx, 1.2f);
  EXPECT_EQ(after.identityChecks - before.identityChecks, 1u) << "hundreds of keys, one check";
  EXPECT_LE(after.parses - before.parses, 1u);

  // Another program edits the file between two new models.
  folders_.Write("[MiscDefaults]\r\nSpanDepthRatio=31.5\r\n[FrameDefaults]\r\nColKx=1.4\r\n", 1);
  EXPECT_EQ(mdf.FileNewInit(0, "Job"), 1);
  EXPECT_FLOAT_EQ(m.fSpanDepthRatio, 31.5f);
  EXPECT_FLOAT_EQ(m.ColKx, 1.4f);
}

TEST_F(SettingsFileTest, ReadDefaultsAreKeptPerSystemAndSettingsButIdentityIsFresh) {
  folders_.Write("[MiscDefaults]\r\nSpanDepthRatio=30\r\n", 2);
  auto fresh = std::make_unique<SMDF>(), kept = std::make_unique<SMDF>();
  auto again = std::make_unique<SMDF>(), metric = std::make_unique<SMDF>();
  CQelMDF(0, fresh.get()).FileNewInit(0, "");
  qel::FillNewModelDefaults(*kept, 0);
  qel::FillNewModelDefaults(*again, 0);
  qel::FillNewModelDefaults(*metric, 1);
  // Everything but the identity, date and time equals a new model's defaults.
  auto sameButIdentity = [](SMDF a, SMDF b) {
    std::memset(a.ModelID, 0, sizeof a.ModelID);
    std::memset(b.ModelID, 0, sizeof b.ModelID);
    std::memcpy(a.Date, b.Date, sizeof a.Date);
    std::memcpy(a.Time, b.Time, sizeof a.Time);
    return std::memcmp(&a, &b, sizeof a) == 0;
  };
  EXPECT_TRUE(sameButIdentity(*fresh, *kept));
  EXPECT_TRUE(sameButIdentity(*kept, *again));
  EXPECT_STRNE(kept->ModelID, again->ModelID) << "a model identity the file lacks is fresh";
  EXPECT_EQ(std::strlen(again->ModelID), 36u);
  EXPECT_EQ(metric->Units, 1);
  EXPECT_NE(metric->DefaultBeamFy, kept->DefaultBeamFy);
  // A changed settings file, and an installed reader, are seen at once.
  folders_.Write("[MiscDefaults]\r\nSpanDepthRatio=31\r\n", 1);
  qel::FillNewModelDefaults(*again, 0);
  EXPECT_FLOAT_EQ(again->fSpanDepthRatio, 31.0f);
  {
    qeltest::FakeDefaults reader;
    reader.Set("MiscDefaults", "SpanDepthRatio", "32");
    qel::FillNewModelDefaults(*again, 0);
    EXPECT_FLOAT_EQ(again->fSpanDepthRatio, 32.0f);
  }
  qel::FillNewModelDefaults(*again, 0);
  EXPECT_FLOAT_EQ(again->fSpanDepthRatio, 31.0f);
}

TEST_F(SettingsFileTest, ConnectionFixRewritesTheFile) {
  folders_.Write(
      "[MiscDefaults]\nCastConnTypeAtBeams=seated\nCastConnTypeAtColumns=web\nOther=kept\n");
  qeltest::MessageCapture boxes;
  CQelMDF::FixTheSmarbeamConnectionSetting();
  CQelMDF::FixTheSmarbeamConnectionSetting();  // already fixed: silent
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text,
            std::string(qel::LoadResString(qel::kIdsSeatedConnectionRemoved)));
  EXPECT_STREQ(QelGetProfileString("MiscDefaults", "CastConnTypeAtBeams", ""), "web");
  EXPECT_STREQ(QelGetProfileString("MiscDefaults", "CastConnTypeAtColumns", ""), "web");
  EXPECT_STREQ(QelGetProfileString("MiscDefaults", "FixedSmartbeamConType", ""), "TRUE");
  EXPECT_STREQ(QelGetProfileString("MiscDefaults", "Other", ""), "kept");
}

TEST(StringTable, NumbersWithoutAnEntryFindNothing) {
  EXPECT_EQ(qel::FindResString(1), nullptr);
  EXPECT_EQ(qel::FindResString(26000), nullptr);  // inside the range, no entry
  EXPECT_EQ(qel::LoadResString(26000), "");
}

}  // namespace
