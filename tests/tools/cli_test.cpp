// What every qeldb command shares, run as the built program: exit codes, the model argument,
// messages about files and folders; and the benchmark script's output.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using qeltest::RunQeldb;

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(QeldbCli, OneSchemeOfExitCodesAndTheCommandsListedForAStranger) {
  auto r = RunQeldb({"bogus"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(Has(r.err, "bogus is not a command; the commands are ") && Has(r.err, " mdf, ") &&
              Has(r.err, " tables"))
      << r.err;
  for (const std::vector<std::string>& usage : {std::vector<std::string>{},
                                                {"mdf"},
                                                {"tables", "m", "--nope"},
                                                {"new", "m", "--units", "7"}})
    EXPECT_EQ(RunQeldb(usage).exitCode, 2) << (usage.empty() ? "" : usage[0]);

  r = RunQeldb({"--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(Has(r.out, "3  done, but the input looks damaged")) << r.out;
  for (const char* command : {"plan", "upgrade", "sections", "pack", "unpack", "ls"})
    EXPECT_TRUE(Has(r.out, command)) << command;
}

TEST(QeldbCli, AnyFileOfTheModelNamesTheModel) {
  qeltest::TempDir dir;
  const std::string m = dir.File("m1");
  ASSERT_EQ(RunQeldb({"demo-grids", m + ".QEL"}).exitCode, 0);
  qeltest::WriteBytes(m + ".sty", std::vector<unsigned char>(336, 0));
  const auto tables = RunQeldb({"tables", m}), grids = RunQeldb({"grids", m});
  ASSERT_EQ(tables.exitCode + grids.exitCode, 0) << tables.err << grids.err;
  for (const char* ext : {".qel", ".sty", ".B3D", ".grs", ".sfr"}) {
    EXPECT_EQ(RunQeldb({"tables", m + ext}).out, tables.out) << ext;
    EXPECT_EQ(RunQeldb({"grids", m + ext}).out, grids.out) << ext;
  }
  EXPECT_EQ(RunQeldb({"tables", m + ".v2"}).exitCode, 2);  // no file of a model: part of the name
}

TEST(QeldbCli, FilesAndFoldersAreReportedForWhatTheyAre) {
  qeltest::TempDir dir;
  fs::create_directory(dir.File("x.qel"));
  fs::create_directory(dir.File("x.grs"));
  for (const std::vector<std::string>& args : {std::vector<std::string>{"mdf", dir.File("x")},
                                               {"new", dir.File("x"), "--force"},
                                               {"grids", dir.File("x")},
                                               {"demo-grids", dir.File("x"), "--force"}}) {
    const auto r = RunQeldb(args);
    EXPECT_EQ(r.exitCode, 2) << args[0];
    EXPECT_TRUE(Has(r.err, " is a directory")) << r.err;
  }
  qeltest::WriteBytes(dir.File("y.sty"), std::vector<unsigned char>(336, 0));
  fs::create_directory(dir.File("y.b3d"));
  auto r = RunQeldb({"tables", dir.File("y")});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_TRUE(Has(r.err, "qeldb: warning: " + dir.File("y.b3d") + " is a directory")) << r.err;
  EXPECT_FALSE(Has(r.out, "b3d")) << r.out;

  r = RunQeldb({"new", dir.File("no/such/m")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(Has(r.err, "no such folder " + dir.File("no/such"))) << r.err;
  fs::create_directory(dir.File("ro"));
  fs::permissions(dir.File("ro"), fs::perms(0555));
  for (const char* command : {"new", "demo-grids"}) {
    const auto argv = qeltest::WithoutFileOverride({QELDB_TOOL_PATH, command, dir.File("ro/m")});
    if (argv.empty()) GTEST_SKIP() << "running as root without setpriv";
    r = qeltest::RunProcess(argv);
    EXPECT_EQ(r.exitCode, 1) << command;
    EXPECT_TRUE(Has(r.err, "permission denied")) << r.err;
  }
}

TEST(BenchScript, ExplainsTheBenchmarkLibrarysDebugWarningOnce) {
  qeltest::TempDir build;
  fs::create_directory(build.File("bench"));
  for (const char* name : {"bench/bench_a", "bench/bench_b"}) {
    qeltest::WriteText(build.File(name),
                       "#!/bin/sh\necho '***WARNING*** Library was built as DEBUG. Timings may "
                       "be affected.' >&2\necho 'BM_x 1 ns'\n");
    fs::permissions(build.File(name), fs::perms(0755));
  }
  const auto r = qeltest::RunProcess(
      {"/bin/bash", std::string(QELDB_SOURCE_DIR) + "/scripts/bench.sh", build.path().string()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err.rfind("note: Debian's benchmark library", 0), 0u) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 4) << r.out;
}

}  // namespace
