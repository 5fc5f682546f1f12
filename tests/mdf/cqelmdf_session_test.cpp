// A new model reads the user's settings file as one logical read: the file is checked once per
// FileNewInit, and a change made between two new models is seen by the second.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "mdf/cqelmdf.h"
#include "mdf/settings.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

class DefaultsFromFile : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("DEVINI");
    qel::SetWindowsFolder(dir_.path().string());
    qel::SetCommonAppDataFolder(std::string());
    qel::ResetSettingsState();
    file_ = dir_.File("quvol.ini");
  }
  void TearDown() override {
    qel::SetWindowsFolder(std::nullopt);
    qel::SetCommonAppDataFolder(std::nullopt);
    qel::ResetSettingsState();
  }
  // Writes the settings file as another program would, with an old time stamp.
  void WriteSettings(const std::string& text, int hoursOld) {
    qeltest::WriteText(file_, text);
    fs::last_write_time(file_, fs::file_time_type::clock::now() - std::chrono::hours(hoursOld));
  }
  qeltest::TempDir dir_;
  std::string file_;
};

TEST_F(DefaultsFromFile, OneCheckPerNewModelAndChangesSeenByTheNext) {
  WriteSettings("[MiscDefaults]\r\nSpanDepthRatio=30\r\n[FrameDefaults]\r\nColKx=1.2\r\n", 2);
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
  WriteSettings("[MiscDefaults]\r\nSpanDepthRatio=31.5\r\n[FrameDefaults]\r\nColKx=1.4\r\n", 1);
  EXPECT_EQ(mdf.FileNewInit(0, "Job"), 1);
  EXPECT_FLOAT_EQ(m.fSpanDepthRatio, 31.5f);
  EXPECT_FLOAT_EQ(m.ColKx, 1.4f);

  // Within a caller's own session, a version group sees the caller's writes at once.
  {
    qel::ProfileReadSession session;
    mdf.Set82DefaultsFromProfiler();
    EXPECT_EQ(m.bRemoveRigidDiapForSloped, 0);
    ASSERT_TRUE(QelWriteProfileBool("MiscDefaults", "RemoveRigidDiaphOnSlopedFloors", 1));
    mdf.Set82DefaultsFromProfiler();
    EXPECT_EQ(m.bRemoveRigidDiapForSloped, 1);
    // ...but not another program's edit until the session ends.
    WriteSettings("[MiscDefaults]\r\nRemoveRigidDiaphOnSlopedFloors=FALSE\r\n", 3);
    mdf.Set82DefaultsFromProfiler();
    EXPECT_EQ(m.bRemoveRigidDiapForSloped, 1);
  }
  mdf.Set82DefaultsFromProfiler();
  EXPECT_EQ(m.bRemoveRigidDiapForSloped, 0);
}

}  // namespace
