// Building the master steel table from section table files: the line classifier, the two
// readings of an angle block, the closing record, sharing by count and the failure paths.
#include "tables/steel_design_tables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "mdf/smdf.h"
#include "tables/property_table_map.h"
#include "tables_fixture.h"

namespace {

using namespace qeltest;

std::vector<std::string> Names() {
  std::vector<std::string> names;
  for (int i = 0; i < NumMasterTable; ++i) names.push_back(MasterTable_Bgn_Ptr[i].szName);
  return names;
}

std::string Shapes() {
  std::string s;
  for (int i = 0; i < NumMasterTable; ++i) s += MasterTable_Bgn_Ptr[i].cShape;
  return s;
}

class SteelTables : public TablesTest {
 protected:
  std::string Model(const std::string& table) {
    WriteText(ModelFile("Bldg.tab"), table);
    return ModelFile("Bldg.QEL");
  }
};

TEST_F(SteelTables, ClassifiesLinesAndReadsTheAngleBlockTwice) {
  const std::string model = Model(
      "; a comment, then an empty line and one starting with a space\r\n"
      "\r\n"
      " W99 A 1 1 1 1\n"
      "W8X10 A 7.89 0.17 3.94 0.205\n"  // before any keyword: an I-shape
      "ts\n"                            // keywords in any case
      "HSS8X4 A 8 0.25 4\n"
      "L\n"
      "L4X4X1/2 A 4 4 0.5\n"
      "4X4X1/4 A 4 4 0.25\n"
      "L3X3X1/4 A 3 3 0.25\n"
      "\n"
      "TEE\n"
      "WT6 A 6 0.5 6 1\n"
      "ROUNDBAR\n"
      "RB2 2\n");
  ASSERT_EQ(BuildSteelDesignTables(nullptr, model.c_str()), 1);
  EXPECT_TRUE(boxes_.boxes().empty());
  EXPECT_EQ(Names(), (std::vector<std::string>{"W8X10", "HSS8X4", "L4X4X1/2", "4X4X1/4", "L3X3X1/4",
                                               "2L4X4X1/2", "2-4X4X1/4", "2L3X3X1/4", "WT6", "RB2",
                                               "No Design"}));
  EXPECT_EQ(Shapes(), "WTAAALLLERW");
  // The index finds names in any case.
  EXPECT_EQ(GetMyLocationInTheSteelTable("w8x10"), 0);
  EXPECT_EQ(GetMyLocationInTheSteelTable("2-4x4x1/4"), 6);
  EXPECT_EQ(GetMyLocationInTheSteelTable("NO DESIGN"), 10);
  EXPECT_EQ(GetMyLocationInTheSteelTable("W99"), -1);
}

TEST_F(SteelTables, AnAngleBlockEndsAtACommentForThePrePass) {
  // The pre-pass counts one row before the comment line; the rows after it are read once, as
  // double angles, after the first row has been read as both.
  const std::string model =
      Model("L\nL4X4X1/2 A 4 4 0.5\n;\nL3X3X1/4 A 3 3 0.25\nFLATBAR\nFB A 6 0.5\n");
  ASSERT_EQ(BuildSteelDesignTables(nullptr, model.c_str()), 1);
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"L4X4X1/2", "2L4X4X1/2", "2L3X3X1/4", "FB", "No Design"}));
}

TEST_F(SteelTables, SharedByCountUntilTheLastUserLetsGo) {
  const std::string model = Model("W8X10 A 7.89 0.17 3.94 0.205\n");
  ASSERT_EQ(BuildSteelDesignTables(nullptr, model.c_str()), 1);
  _MASTERTABLE* first = MasterTable_Bgn_Ptr;
  std::remove(ModelFile("Bldg.tab").c_str());
  // A second program's build shares the table without reading the (now missing) file.
  ASSERT_EQ(BuildSteelDesignTables(nullptr, model.c_str()), 1);
  EXPECT_EQ(MasterTable_Bgn_Ptr, first);
  EXPECT_EQ(NumMasterTable, 2);
  EXPECT_EQ(DeleteMasterSteelTable(), 1);
  EXPECT_EQ(MasterTable_Bgn_Ptr, first) << "one user is left";
  EXPECT_EQ(DeleteMasterSteelTable(), 1);
  EXPECT_EQ(MasterTable_Bgn_Ptr, nullptr);
  EXPECT_EQ(NumMasterTable, 0);
  EXPECT_EQ(DeleteMasterSteelTable(), 1);  // nothing left to release
  EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(SteelTables, UnitsLinesAndTheUnitsSettingOutlivesABuild) {
  std::string model = Model("s\nFLATBAR\nFB A 203.2 25.4\n");
  ASSERT_EQ(BuildSteelDesignTables(nullptr, model.c_str()), 1);
  EXPECT_FLOAT_EQ(MasterTable_Bgn_Ptr[0].fDepth, 8.0f);
  EXPECT_FLOAT_EQ(MasterTable_Bgn_Ptr[0].fTw, 1.0f);
  DeleteMasterSteelTable();
  // No units line: the next build still reads millimetres until an "E" line.
  model = Model("FLATBAR\nFB A 203.2 25.4\nE\nFB2 A 8 1\n");
  ASSERT_EQ(BuildSteelDesignTables(nullptr, model.c_str()), 1);
  EXPECT_FLOAT_EQ(MasterTable_Bgn_Ptr[0].fDepth, 8.0f);
  EXPECT_FLOAT_EQ(MasterTable_Bgn_Ptr[1].fDepth, 8.0f);
  EXPECT_EQ(qel::MasterTableUnitsMetric(), 0);
}

TEST_F(SteelTables, AShortRowStopsTheBuildAndLeavesNoTable) {
  const std::string model = Model("W8X10 A 7.89 0.17 3.94 0.205\nW8X15 A\n");
  EXPECT_EQ(BuildSteelDesignTables(nullptr, model.c_str()), 0);
  ASSERT_EQ(boxes_.boxes().size(), 1u);
  EXPECT_EQ(boxes_.boxes()[0].text, "Error Opening Master Table - Incorrect File Format");
  EXPECT_EQ(boxes_.boxes()[0].caption, "Fatal Error");
  EXPECT_EQ(boxes_.boxes()[0].style, unsigned{MB_ICONSTOP | MB_OK});
  EXPECT_EQ(MasterTable_Bgn_Ptr, nullptr);
  EXPECT_EQ(NumMasterTable, 0);
  // The failed build holds no use of the table: the next one reads the file.
  Model("W8X10 A 7.89 0.17 3.94 0.205\n");
  ASSERT_EQ(BuildSteelDesignTables(nullptr, model.c_str()), 1);
  EXPECT_EQ(NumMasterTable, 2);
  // The first row can fail as well.
  DeleteMasterSteelTable();
  Model("I\nW8X15 A 1\n");
  EXPECT_EQ(BuildSteelDesignTables(nullptr, model.c_str()), 0);
  EXPECT_EQ(qel::MasterTableUsers(), 0);
}

TEST_F(SteelTables, AMissingTableIsReportedOncePerModel) {
  const std::string a = ModelFile("A.qel"), b = ModelFile("B.qel");
  EXPECT_EQ(BuildSteelDesignTables(nullptr, a.c_str()), 0);
  EXPECT_EQ(BuildSteelDesignTables(nullptr, a.c_str()), 0);
  ASSERT_EQ(boxes_.boxes().size(), 1u);
  EXPECT_EQ(boxes_.boxes()[0].text, "Error Opening Master Table");
  EXPECT_EQ(boxes_.boxes()[0].caption, "Fatal Error");
  EXPECT_EQ(BuildSteelDesignTables(nullptr, b.c_str()), 0);
  EXPECT_EQ(BuildSteelDesignTables(nullptr, a.c_str()), 0);
  EXPECT_EQ(boxes_.boxes().size(), 3u);
  EXPECT_EQ(qel::MasterTableUsers(), 0);
}

TEST_F(SteelTables, WithoutAModelTheNamedTableOfTheTablesFolderIsRead) {
  WriteText(TableFile("shop.tab"), "W1 A 10 0.5 8 1\n");
  auto record = std::make_unique<SMDF>();
  std::strcpy(record->MasterSteelTableName, "shop");
  ASSERT_EQ(BuildSteelDesignTables2(nullptr, nullptr, record.get()), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"W1", "No Design"}));
}

TEST_F(SteelTables, PrivateCopiesWithAndWithoutTheClosingRecord) {
  const std::string model = Model("W1 A 10 0.5 8 1\nW2 A 12 0.5 8 1\n");
  CMastDBIO db(model.c_str(), static_cast<SMDF*>(nullptr));
  _MASTERTABLE* table = nullptr;
  int count = 0;
  ASSERT_EQ(db.ReadMasterTable(table, count, 0), 1);
  ASSERT_EQ(count, 2);
  EXPECT_STREQ(table[1].szName, "W2");
  delete[] table;
  EXPECT_EQ(MasterTable_Bgn_Ptr, nullptr) << "the shared table was released";
  EXPECT_EQ(qel::MasterTableUsers(), 0);

  long n = 0;
  ASSERT_EQ(db.ReadMasterTable(table, n, 1), 1);
  ASSERT_EQ(n, 3);
  EXPECT_STREQ(table[2].szName, "No Design");
  delete[] table;

  // A copy of the object reads the same model; a failed build gives nothing.
  CMastDBIO missing(ModelFile("none.qel").c_str(), CString("none"), nullptr);
  CMastDBIO copy(missing);
  EXPECT_EQ(copy.GetModelPath(), missing.GetModelPath());
  table = reinterpret_cast<_MASTERTABLE*>(&n);
  n = 7;
  EXPECT_EQ(copy.ReadMasterTable(table, n, 1), 0);
  EXPECT_EQ(table, nullptr);
  EXPECT_EQ(n, 0);
}

TEST_F(SteelTables, LongLinesAreReadInPieces) {
  // 298 characters make one line; the rest of a longer line is read as the next line, here a
  // data line of its own.
  std::string longLine = "W1 A 10 0.5 8 1";
  longLine += std::string(298 - longLine.size(), ' ');
  const std::string model = Model(longLine + "W2 A 12 0.5 8 1\n");
  ASSERT_EQ(BuildSteelDesignTables(nullptr, model.c_str()), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"W1", "W2", "No Design"}));
}

TEST_F(SteelTables, PlankModeFindsTablesThroughTheSiblingSettingsFile) {
  // Plank mode lasts for the process, so it is tried in a child.
  const std::string plankTables = settings_.Folder("plank");
  WriteText(plankTables + "/qp.tab", "W1 A 10 0.5 8 1\n");
  WriteText((settings_.windows() / "QELPlank.ini").string(),
            "[Directories]\ntables=" + plankTables + "\n");
  const std::string model = Model("W9 A 10 0.5 8 1\n");
  EXPECT_EXIT(
      {
        SetDBIO_PlankMode();
        auto record = std::make_unique<SMDF>();
        std::strcpy(record->MasterSteelTableName, "qp");
        const bool ok = BuildSteelDesignTables2(nullptr, model.c_str(), record.get()) == 1 &&
                        std::strcmp(MasterTable_Bgn_Ptr[0].szName, "W1") == 0;
        std::exit(ok ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
