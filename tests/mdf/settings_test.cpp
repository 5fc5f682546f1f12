#include "mdf/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "platform/profile.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace qeltest;

// String-table entries whose texts serve as keys here: 25016 "ksf" and 25001 "ft".
constexpr UINT kKsf = 25016;
constexpr UINT kFt = 25001;

// Settings folders of the test's own; files go into the Windows folder, searched last.
class Settings : public ::testing::Test {
 protected:
  fs::path win() const { return folders_.windows(); }
  fs::path common() const { return folders_.common(); }
  fs::path suiteFolder() const { return folders_.suite(); }
  std::string UseFile(const std::string& text) {
    std::string f = (win() / "quvol.ini").string();
    WriteText(f, text);
    qel::ResetSettingsState();
    return f;
  }
  static std::string IniPath() {
    char buf[MAX_PATH];
    GetQuvolIniPath(buf);
    return buf;
  }

  SettingsFolders folders_;
  const TempDir& dir_ = folders_.root();
};

TEST_F(Settings, SearchOrderAndTheMissingFileMessage) {
  MessageCapture boxes;
  std::string expectedCandidate = (suiteFolder() / "quvol.ini").string();
  EXPECT_EQ(LoadQUVOLiniPath(), 0);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "Could not find file: \n " + expectedCandidate +
                                       " \n Please contact Technical Support");
  EXPECT_NE(boxes.boxes()[0].style & MB_ICONERROR, 0u);
  char buf[MAX_PATH];
  EXPECT_EQ(GetQuvolIniPath(buf), 0);
  EXPECT_STREQ(buf, "quvol.ini");
  EXPECT_EQ(LoadQUVOLiniPath(), 0);
  EXPECT_EQ(boxes.boxes().size(), 1u) << "each missing path is reported once per process";

  // Reads give defaults; a write goes to the Windows-folder candidate and creates the file there.
  EXPECT_EQ(QelGetProfileInt("S", "k", 7), 7u);
  EXPECT_TRUE(QelWriteProfileInt("S", "k", 8));
  EXPECT_EQ(ReadText((win() / "quvol.ini").string()), "[S]\r\nk=8\r\n");
  EXPECT_EQ(LoadQUVOLiniPath(), 1) << "the file now exists and the next access searches again";
  EXPECT_EQ(IniPath(), (win() / "quvol.ini").string());

  // The common folder comes before the Windows folder.
  fs::create_directories(suiteFolder());
  WriteText((suiteFolder() / "quvol.ini").string(), "[S]\nk=common\n");
  qel::ResetSettingsState();
  EXPECT_EQ(IniPath(), (suiteFolder() / "quvol.ini").string());
  EXPECT_EQ(QelGetProfileString("S", "k", "d"), "common");

  // DEVINI comes first, joined to the file name as it stands; a DEVINI folder without the file is
  // passed over.
  fs::create_directories(dir_.path() / "dev");
  WriteText((dir_.path() / "dev/quvol.ini").string(), "[S]\nk=dev\n");
  setenv("DEVINI", (dir_.path() / "dev").string().append("\\").c_str(), 1);
  qel::ResetSettingsState();
  EXPECT_EQ(QelGetProfileString("S", "k", "d"), "dev");
  setenv("DEVINI", (dir_.path() / "empty/").string().c_str(), 1);
  qel::ResetSettingsState();
  EXPECT_EQ(QelGetProfileString("S", "k", "d"), "common");
  EXPECT_EQ(boxes.boxes().size(), 1u);

  // The sibling product's file lives in its own folder.
  UsePlankINIFile();
  EXPECT_EQ(LoadQUVOLiniPath(), 0);
  EXPECT_EQ(GetQuvolIniPath(buf), 0);
  EXPECT_STREQ(buf, "QELPlank.ini");
  ASSERT_EQ(boxes.boxes().size(), 2u);
  EXPECT_NE(boxes.boxes()[1].text.find("/Quarnel/Engineering/QELPlank/QELPlank.ini"),
            std::string::npos);
  fs::create_directories(common() / "Quarnel/Engineering/QELPlank");
  WriteText((common() / "Quarnel/Engineering/QELPlank/QELPlank.ini").string(), "[S]\nk=plank\n");
  EXPECT_EQ(QelGetProfileString("S", "k", "d"), "plank");
  EXPECT_EQ(IniPath(), (common() / "Quarnel/Engineering/QELPlank/QELPlank.ini").string());
  UseTELUXINIFile();
  EXPECT_EQ(QelGetProfileString("S", "k", "d"), "common");
}

TEST_F(Settings, NoCommonFolderFallsBackToTheWindowsFolder) {
  qel::SetCommonAppDataFolder(std::string());
  MessageCapture boxes;
  EXPECT_EQ(LoadQUVOLiniPath(), 0);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "Could not find file: \n  \n Please contact Technical Support");
  WriteText((win() / "quvol.ini").string(), "[S]\nk=win\n");
  EXPECT_EQ(QelGetProfileString("S", "k", "d"), "win");
  EXPECT_EQ(GetTeluxCommonAppDataPath(), CString(win().string()));
}

TEST_F(Settings, CommonDataFolderIsCreatedAndKept) {
  MessageCapture boxes;
  CString path = GetTeluxCommonAppDataPath();
  EXPECT_EQ(path, CString(suiteFolder().string()));
  EXPECT_TRUE(fs::is_directory(suiteFolder()));
  qel::SetCommonAppDataFolder((dir_.path() / "elsewhere").string());
  EXPECT_EQ(GetTeluxCommonAppDataPath(), path) << "computed once";
  EXPECT_TRUE(boxes.boxes().empty());

  // A folder that cannot be created is reported.
  WriteText((dir_.path() / "blocker").string(), "a file, not a folder");
  qel::SetCommonAppDataFolder((dir_.path() / "blocker").string());
  qel::ResetSettingsState();
  GetTeluxCommonAppDataPath();
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "g_strTeluxCommonAppPath");
}

TEST_F(Settings, TypedReads) {
  std::string longValue(300, 'v');
  std::string hugeValue(10300, 'h');
  UseFile(
      "[Flags]\r\n"
      "Lower=true\r\n"
      "One=1\r\n"
      "Yes=yes\r\n"
      "ksf= FALSE \r\n"
      "[Numbers]\r\n"
      "Junk=abc\r\n"
      "Sci= 2.5e3xyz\r\n"
      "ksf=1.25\r\n"
      "ksfMetric=60\r\n"
      "Neg=-3\r\n"
      "Hex=0x10\r\n"
      "Plus=+4.5\r\n"
      "[Text]\r\n"
      "Long=" +
      longValue + "\r\nHuge=" + hugeValue + "\r\n");

  EXPECT_EQ(QelGetProfileBool("Flags", "Lower", 0), 1);
  EXPECT_EQ(QelGetProfileBool("Flags", "One", 1), 0);
  EXPECT_EQ(QelGetProfileBool("Flags", "Yes", 1), 0);
  EXPECT_EQ(QelGetProfileBool("Flags", kKsf, 1), 0);
  EXPECT_EQ(QelGetProfileBool("Flags", "Missing", 5), 1);
  EXPECT_EQ(QelGetProfileBool("Flags", "Missing", 0), 0);
  EXPECT_EQ(qel::DefaultsGetProfileBool("Flags", kFt, 1), 1);
  EXPECT_EQ(qel::DefaultsGetProfileBool("Flags", kKsf, 1), 0);

  EXPECT_EQ(QelGetProfileDouble("Numbers", "Missing", 0.1), 0.1) << "default passes through %g";
  EXPECT_EQ(QelGetProfileDouble("Numbers", "Missing", 1.0 / 3.0), 0.333333) << "%g keeps 6 digits";
  EXPECT_EQ(QelGetProfileDouble("Numbers", "Junk", 9.0), 0.0);
  EXPECT_EQ(QelGetProfileDouble("Numbers", "Sci", "1"), 2500.0);
  EXPECT_EQ(QelGetProfileDouble("Numbers", "Plus", "1"), 4.5);
  EXPECT_EQ(QelGetProfileDouble("Numbers", "Hex", "1"), 0.0) << "decimal only";
  EXPECT_EQ(QelGetProfileDouble("Numbers", kKsf, "7"), 1.25);
  EXPECT_EQ(QelGetProfileDouble("Numbers", kKsf, "7", 1), 60.0) << "key ksfMetric";
  EXPECT_EQ(QelGetProfileDouble("Numbers", kKsf, 7.0, 1), 60.0);
  EXPECT_EQ(QelGetProfileDouble("Numbers", kFt, 7.5, 1), 7.5);
  EXPECT_EQ(QelGetProfileDouble("Numbers", kFt, "  -8.25"), -8.25);
  EXPECT_EQ(QelGetProfileFloat("Numbers", kKsf, 0.0, 1), 60.0f);
  EXPECT_EQ(QelGetProfileFloat("Numbers", "Missing", 0.1), 0.1f);
  EXPECT_EQ(QelGetProfileFloat("Numbers", "Sci", "0"), 2500.0f);
  EXPECT_EQ(qel::DefaultsGetProfileDouble("Numbers", kKsf, 0.0, 1), 60.0);
  EXPECT_EQ(qel::DefaultsGetProfileFloat("Numbers", kFt, "3.5"), 3.5f);

  EXPECT_EQ(static_cast<int>(QelGetProfileInt("Numbers", "Neg", 0)), -3);
  EXPECT_EQ(QelGetProfileInt("Numbers", kKsf, 0), 1u) << "leading digits of 1.25";
  EXPECT_EQ(QelGetProfileInt("Numbers", kFt, 17), 17u);
  EXPECT_EQ(qel::DefaultsGetProfileInt("Numbers", kKsf, 0, 1), 60u);
  EXPECT_EQ(QuvolGetProfileInt("Numbers", "Neg", 0), static_cast<UINT>(-3));

  EXPECT_EQ(QelGetProfileString("Text", "Long", "d").GetLength(), 255);
  EXPECT_EQ(qel::DefaultsGetProfileString("Text", "Long", "d").str(), longValue);
  EXPECT_EQ(qel::DefaultsGetProfileString("Text", "Huge", "d").str(), hugeValue.substr(0, 10239));
  EXPECT_EQ(QelGetProfileString("Text", kFt, kKsf), "ksf") << "default given by number";
  EXPECT_EQ(QelGetProfileString("Text", kFt, 0), "");
  EXPECT_EQ(QelGetProfileString("Numbers", kKsf, "d"), "1.25");
  char buf[8];
  EXPECT_EQ(QuvolGetProfileString("Numbers", "Sci", "", buf, sizeof buf), 7u);
  EXPECT_STREQ(buf, "2.5e3xy");
}

TEST_F(Settings, TypedWritesProduceTheDocumentedText) {
  std::string f = UseFile("[W]\r\n");
  EXPECT_TRUE(QelWriteProfileFloat("W", kKsf, 2.5f));
  EXPECT_TRUE(QelWriteProfileFloat("W", kKsf, 2.5f, "%g", 1));
  EXPECT_TRUE(QelWriteProfileFloat("W", "f", 2.5f));
  EXPECT_TRUE(QelWriteProfileDouble("W", kFt, 0.125, "%.2e"));
  EXPECT_TRUE(QelWriteProfileDouble("W", kFt, 1.0 / 3.0, nullptr, 1));
  EXPECT_TRUE(QelWriteProfileInt("W", "i", -12));
  EXPECT_TRUE(QelWriteProfileInt("W", kFt, 5));  // replaces the double written above
  EXPECT_TRUE(QelWriteProfileBool("W", "on", 7));
  EXPECT_TRUE(QelWriteProfileBool("W", kKsf, 0));
  EXPECT_TRUE(QelWriteProfileString("W", "s", "text"));
  EXPECT_TRUE(QelWriteProfileString("W", kKsf, nullptr));  // deletes
  // Formats that do not print one double are refused, the file left alone.
  EXPECT_FALSE(QelWriteProfileDouble("W", kFt, 1.0, "%s"));
  EXPECT_FALSE(QelWriteProfileDouble("W", kFt, 1.0, "%f %f"));
  EXPECT_FALSE(QelWriteProfileDouble("W", kFt, 1.0, "%*f"));
  EXPECT_FALSE(QelWriteProfileFloat("W", kFt, 1.0f, "%999999999f"));
  EXPECT_FALSE(QelWriteProfileFloat("W", kFt, 1.0f, "%d"));
  EXPECT_EQ(ReadText(f),
            "[W]\r\n"
            "ksfMetric=2.5\r\n"
            "f=2.500000\r\n"
            "ft=5\r\n"
            "ftMetric=0.333\r\n"
            "i=-12\r\n"
            "on=TRUE\r\n"
            "s=text\r\n");
  EXPECT_EQ(QelGetProfileBool("W", "on", 0), 1);
  // By number and without a format: three decimals.
  EXPECT_TRUE(QelWriteProfileFloat("X", kKsf, 2.5f));
  EXPECT_EQ(QelGetProfileString("X", "ksf", ""), "2.500");
}

}  // namespace
