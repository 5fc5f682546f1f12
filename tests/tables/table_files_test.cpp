// Where table files are found, copying them beside a model, the file helper, and the name index.
#include "tables/table_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "platform/shell.h"
#include "platform/win_file.h"
#include "tables/file_helper.h"
#include "tables/property_table_map.h"
#include "tables/table_import.h"
#include "tables_fixture.h"
#include "test_db.h"

namespace {

using namespace qeltest;

// The contents of the file a handle stands for (the handle is closed).
std::string Contents(HANDLE h) {
  if (h == INVALID_HANDLE_VALUE) return "<invalid>";
  std::FILE* f = qel::StreamFromHandle(h, "rt");
  std::string text;
  char buf[256];
  while (std::fgets(buf, sizeof buf, f)) text += buf;
  std::fclose(f);
  return text;
}

unsigned Permissions(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

using TableFiles = TablesTest;

TEST_F(TableFiles, OpenTableFileFindsTheModelsWorkingCopyOrTheTablesFolder) {
  WriteText(ModelFile("Bldg.tab"), "model tab\n");
  WriteText(ModelFile("Bldg.tab2"), "second copy\n");
  WriteText(ModelFile("Bldg.sbcel"), "model cel\n");
  WriteText(TableFile("shared.tab"), "shared tab\n");
  const std::string model = ModelFile("Bldg.QEL");
  EXPECT_EQ(Contents(OpenTableFile("shared", model.c_str(), "tab", 0)), "model tab\n");
  EXPECT_EQ(Contents(OpenTableFile("shared", model.c_str(), "tab", 1)), "second copy\n");
  EXPECT_EQ(Contents(OpenTableFile("shared", model.c_str(), "cel", 0)), "model cel\n");
  // Backslashes name the same files.
  std::string windows = model;
  for (char& c : windows)
    if (c == '/') c = '\\';
  EXPECT_EQ(Contents(OpenTableFile("shared", windows.c_str(), "tab", 0)), "model tab\n");
  // No model: the tables folder.
  EXPECT_EQ(Contents(OpenTableFile("shared", nullptr, "tab", 0)), "shared tab\n");
  // A model without its copy does not fall back to the tables folder.
  EXPECT_EQ(OpenTableFile("shared", ModelFile("Other").c_str(), "tab", 0), INVALID_HANDLE_VALUE);
  // A '.' in a folder name is no extension: the text is kept and ".tab" appended.
  const std::string dotted = settings_.Folder("a.b");
  WriteText(dotted + "/model.tab", "dotted\n");
  EXPECT_EQ(Contents(OpenTableFile("x", (dotted + "/model").c_str(), "tab", 0)), "dotted\n");
  EXPECT_EQ(qel::WorkingCopyPath("C:\\a.b\\model", "tab", 0), "C:\\a.b\\model.tab");
  EXPECT_EQ(qel::WorkingCopyPath("C:\\M\\Bldg.QEL", "cel", 0), "C:\\M\\Bldg.sbcel");
  EXPECT_EQ(qel::WorkingCopyPath("C:\\M\\Bldg.qelx", "tab", 0), "C:\\M\\Bldg.qelx.tab");
  char ext[8];
  GetTableWorkingExtension("cel", 1, ext);
  EXPECT_STREQ(ext, "sbcel2");
  GetTableWorkingExtension("CEL", 0, ext);  // the map is exact
  EXPECT_STREQ(ext, "CEL");

  std::FILE* f = OpenTableFilePtr("shared", nullptr, "tab", 0);
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_EQ(OpenTableFilePtr("absent", nullptr, "tab", 0), nullptr);
}

TEST_F(TableFiles, OpenTablesShareReadingButExcludeWriters) {
  WriteText(TableFile("shared.tab"), "x\n");
  HANDLE a = OpenTableFile("shared", nullptr, "tab", 0);
  HANDLE b = OpenTableFile("shared", nullptr, "tab", 0);
  ASSERT_NE(a, INVALID_HANDLE_VALUE);
  ASSERT_NE(b, INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA(TableFile("shared.tab").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr),
            INVALID_HANDLE_VALUE);
  CloseHandle(a);
  CloseHandle(b);
  HANDLE w = CreateFileA(TableFile("shared.tab").c_str(), GENERIC_WRITE, 0, nullptr,
                         TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(w, INVALID_HANDLE_VALUE);
  EXPECT_EQ(OpenTableFile("shared", nullptr, "tab", 0), INVALID_HANDLE_VALUE);
  CloseHandle(w);
  EXPECT_EQ(ReadText(TableFile("shared.tab")), "");
}

TEST_F(TableFiles, GetTableDirsSplitsAModelPath) {
  UseSettings("");
  settings_.Write("[Directories]\ntables=D:\\Tables\n");
  char tables[MAX_PATH], dir[MAX_PATH], name[MAX_PATH];
  ASSERT_EQ(GetTableDirs("C:\\Models\\Tower.QEL", tables, dir, name), 0);
  EXPECT_STREQ(tables, "D:\\Tables\\");
  EXPECT_STREQ(dir, "C:\\Models\\");
  EXPECT_STREQ(name, "Tower");
  ASSERT_EQ(GetTableDirs("/m/a.b/Tower", tables, dir, name), 0);
  EXPECT_STREQ(dir, "/m/a.b/");
  EXPECT_STREQ(name, "Tower");
  tables[0] = '\0';
  EXPECT_EQ(GetTableDirs("Tower.qel", tables, dir, name), -2);
  EXPECT_STREQ(tables, "D:\\Tables\\");
  settings_.Write("[Directories]\ntables=/srv/tables/\n");
  ASSERT_EQ(GetTableDirs("/m/x", tables, dir, name), 0);
  EXPECT_STREQ(tables, "/srv/tables/");
  settings_.Write("[Directories]\nmanuals=/x\n");
  EXPECT_EQ(GetTableDirs("/m/x", tables, dir, name), -1);
}

TEST_F(TableFiles, ImportCopiesOnceUnlessForced) {
  WriteText(TableFile("shop.tab"), "version 1\n");
  WriteText(TableFile("shop.cel"), "cells\n");
  char tables[MAX_PATH], dir[MAX_PATH], name[MAX_PATH];
  ASSERT_EQ(GetTableDirs(ModelFile("Tower.qel").c_str(), tables, dir, name), 0);
  EXPECT_EQ(ImportTableFile(tables, dir, name, "shop", "tab", 0), 1);
  EXPECT_EQ(ReadText(ModelFile("Tower.tab")), "version 1\n");
  EXPECT_EQ(ImportTableFile(tables, dir, name, "shop", "cel", 1), 1);
  EXPECT_EQ(ReadText(ModelFile("Tower.sbcel2")), "cells\n");

  WriteText(TableFile("shop.tab"), "version 2\n");
  EXPECT_EQ(ImportTableFile(tables, dir, name, "shop", "tab", 0), 1);
  EXPECT_EQ(ReadText(ModelFile("Tower.tab")), "version 1\n") << "present copies are kept";
  EXPECT_EQ(ImportTableFile2(tables, dir, name, "shop", "tab", 0, 1), 1);
  EXPECT_EQ(ReadText(ModelFile("Tower.tab")), "version 2\n");
  // No source: a forced import fails, an unforced one with the copy present does not.
  EXPECT_EQ(ImportTableFile2(tables, dir, name, "gone", "tab", 0, 1), 0);
  EXPECT_EQ(ImportTableFile2(tables, dir, name, "gone", "tab", 0, 0), 1);
  EXPECT_EQ(ImportTableFile2(tables, dir, name, "gone", "ssd", 0, 0), 0);
}

TEST_F(TableFiles, ModificationTimesIgnoreADaylightSavingHour) {
  const std::string f = ModelFile("t.tab");
  WriteText(f, "x");
  CFileHelper helper;
  const long t = helper.GetFileTime(f.c_str());
  ASSERT_GT(t, 0);
  EXPECT_FALSE(helper.DateChanged(f.c_str(), t));
  EXPECT_FALSE(helper.DateChanged(f.c_str(), t - 3600));
  EXPECT_FALSE(helper.DateChanged(f.c_str(), t + 3600));
  EXPECT_TRUE(helper.DateChanged(f.c_str(), t - 3599));
  EXPECT_TRUE(helper.DateChanged(f.c_str(), t + 1));
  EXPECT_EQ(helper.GetFileTime(ModelFile("none").c_str()), -1);
  EXPECT_TRUE(helper.DateChanged(ModelFile("none").c_str(), t));
}

TEST_F(TableFiles, FileSecurityGivesFilesAnOpenAccessList) {
  // Off (the default): files keep the permissions the umask gives them.
  const mode_t old = ::umask(077);
  EXPECT_EQ(RemoveFileSecurity(ModelFile("xx").c_str()), 1);
  HANDLE h = CreateFileNoSecurity(ModelFile("off.tab").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_EQ(Permissions(ModelFile("off.tab")), 0600u);

  UseSettings("[FileSecurity]\nRemoveFileSecurity=1\n");
  EXPECT_EQ(CreateFileNew(ModelFile("on.tab").c_str(), CREATE_NEW), 1);
  EXPECT_EQ(Permissions(ModelFile("on.tab")), 0666u);
  EXPECT_EQ(CreateFileNew(ModelFile("on.tab").c_str(), CREATE_NEW), 0) << "exists already";
  EXPECT_EQ(CopyFileNew(ModelFile("off.tab").c_str(), ModelFile("copy.tab").c_str(), 0), 1);
  EXPECT_EQ(Permissions(ModelFile("copy.tab")), 0666u);
  EXPECT_EQ(CopyFileNew(ModelFile("none").c_str(), ModelFile("copy2.tab").c_str(), 0), 0);
  ::chmod(ModelFile("off.tab").c_str(), 0600);
  EXPECT_EQ(RemoveFileSecurity(ModelFile("off.tab").c_str()), 1);
  EXPECT_EQ(Permissions(ModelFile("off.tab")), 0666u);
  EXPECT_EQ(RemoveFileSecurity("a/b"), 0) << "names under 4 characters";
  EXPECT_EQ(RemoveFileSecurity(ModelFile("none").c_str()), 0);

  // The record writer of a model consults the same mode.
  TestDB w(CString(ModelFile("tower").c_str()), nullptr);
  int record = 7;
  ASSERT_EQ(w.WriteDB("sty", &record, sizeof record, 0, 1, 1), 1);
  EXPECT_EQ(Permissions(ModelFile("tower.sty")), 0666u);

  // Any value but 0 or 1 leaves the mode unread: it is read again next time.
  UseSettings("[FileSecurity]\nRemoveFileSecurity=5\n");
  ASSERT_EQ(w.WriteDB("b3d", &record, sizeof record, 0, 1, 1), 1);
  EXPECT_EQ(Permissions(ModelFile("tower.b3d")), 0600u);
  ::umask(old);
}

TEST_F(TableFiles, ManualsFolderAndOpeningAManual) {
  UseSettings("[Directories]\nprogram=C:\\Suite\\Bin\\\\\n");
  EXPECT_EQ(CFileHelper().GetManualsPath(), CString("C:\\Suite\\Manuals"));
  UseSettings("[Directories]\nprogram=/opt/suite/bin\n");
  char out[MAX_PATH];
  ASSERT_EQ(GetManualsPath(out), 1);
  EXPECT_STREQ(out, "/opt/suite/Manuals");
  UseSettings("[Directories]\nmanuals=/srv/docs\nprogram=/opt/suite/bin\n");
  EXPECT_EQ(CFileHelper().GetManualsPath(), CString("/srv/docs"));

  std::string verb, file;
  auto previous = qel::SetDesktopOpenHook([&](const std::string& v, const std::string& f) {
    verb = v;
    file = f;
    return true;
  });
  EXPECT_EQ(CFileHelper().DisplayManual("Guide.pdf"), 1);
  qel::SetDesktopOpenHook(previous);
  EXPECT_EQ(verb, "open");
  EXPECT_EQ(file, "/srv/docs\\Guide.pdf");

  UseSettings("");
  EXPECT_EQ(GetManualsPath(out), 0);
}

TEST_F(TableFiles, ReadFileToBuffer) {
  WriteText(ModelFile("data.bin"), std::string("ab\0c", 4));
  void* buffer = nullptr;
  ASSERT_EQ(ReadFileToBuffer(ModelFile("data.bin").c_str(), &buffer), 4u);
  EXPECT_EQ(std::string(static_cast<char*>(buffer), 4), std::string("ab\0c", 4));
  std::free(buffer);
  WriteText(ModelFile("empty.bin"), "");
  EXPECT_EQ(ReadFileToBuffer(ModelFile("empty.bin").c_str(), &buffer), 0u);
  EXPECT_EQ(buffer, nullptr);
  EXPECT_EQ(ReadFileToBuffer(ModelFile("none.bin").c_str(), &buffer), 0xFFFFFFFFu);
}

TEST(PropertyTableMap, NamesMatchWithoutCaseAndTheFirstEntryStays) {
  ci_less less;
  EXPECT_TRUE(less("w14x22", "W14X3"));  // '2' < '3'
  EXPECT_FALSE(less("W14X22", "w14x22"));
  EXPECT_FALSE(less("w14x22", "W14X22"));
  EXPECT_TRUE(less("W14", "w14x22"));  // a prefix is less
  EXPECT_FALSE(less("W14X22", "W14"));

  PropertyTableMap map;
  map.AddMapToSteelTable("W8X10", 3);
  map.AddMapToSteelTable("w8x10", 9);
  EXPECT_EQ(map.GetMyLocationInTheSteelTable("W8X10"), 3);
  PropertyTableMap copy = map;
  map.ClearTables();
  EXPECT_EQ(map.GetMyLocationInTheSteelTable("W8X10"), -1);
  EXPECT_EQ(copy.GetMyLocationInTheSteelTable("w8X10"), 3);

  // The process-wide instance behind the flat functions.
  ASSERT_NE(CreatePropertyTableMapObject(), nullptr);
  AddMapToSteelTable("W14X22", 5);
  EXPECT_EQ(GetMyLocationInTheSteelTable("w14x22"), 5);
  ClearTables();
  EXPECT_EQ(GetMyLocationInTheSteelTable("w14x22"), -1);
}

}  // namespace
