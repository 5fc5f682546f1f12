// qeldb pack / unpack / ls, run as the built program, against Info-ZIP's zip and unzip and
// Python's zipfile; and --archive, which reads a model's tables straight out of an archive.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "archive_test_util.h"
#include "cli_json.h"
#include "test_support.h"
#include "zip_builder.h"

namespace {

using qeltest::RunProcess;
using qeltest::RunQeldb;
using qeltest::TempDir;
using qeltest::WriteText;
namespace fs = std::filesystem;

// Every path under `root` with its size and a hash of its contents ("/" for folders), and its
// mtime when asked (folders too: an archive with folder entries restores their times).
std::map<std::string, std::string> Snapshot(const std::string& root, bool times = false) {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string rel = fs::relative(e.path(), root).string();
    const std::string data = e.is_directory() ? "" : qeltest::ReadText(e.path().string());
    std::string v = e.is_directory() ? "/"
                                     : std::to_string(data.size()) + "#" +
                                           std::to_string(std::hash<std::string>{}(data));
    if (times) v += "@" + std::to_string(qeltest::FileTime(e.path().string()));
    out[rel] = v;
  }
  return out;
}

// Lower-case hex, as Python prints bytes.
std::string HexOf(const std::string& data) {
  return qeltest::Lower(qeltest::Hex(data.data(), data.size()));
}

std::string Tool(const char* name) {
  const std::string path = qeltest::FindProgram(name);
  EXPECT_FALSE(path.empty()) << name << " is needed (scripts/deps.sh installs it)";
  return path;
}

// An archive entry, for archives laid out byte by byte.
qeltest::ZipEntrySpec Entry(const std::string& name, std::vector<unsigned char> data) {
  qeltest::ZipEntrySpec e;
  e.name = name;
  e.data = std::move(data);
  return e;
}

// A small model folder: record-like binary files, a sub-folder, things to leave out.
std::string MakeFolder(const TempDir& dir) {
  const std::string src = dir.File("tower");
  fs::create_directories(src + "/results");
  std::string records;
  for (int i = 0; i < 4000; ++i) records += std::string("beam") + std::to_string(i % 97) + '\0';
  WriteText(src + "/tower.b3d", records);
  WriteText(src + "/tower.qel", "<?xml version=\"1.0\"?>\n<x/>\n");
  WriteText(src + "/results/tower.sfr", std::string(3000, '\x07'));
  WriteText(src + "/tower.bak", "old");
  WriteText(src + "/scratch.txt", "temporary");
  qeltest::SetFileTime(src + "/tower.b3d", qeltest::Utc(2022, 3, 4, 5, 6, 8));
  qeltest::SetFileTime(src + "/tower.qel", qeltest::Utc(2022, 7, 8, 9, 10, 12));
  qeltest::SetFileTime(src + "/results/tower.sfr", qeltest::Utc(2022, 1, 1, 0, 0, 0));
  return src;
}

TEST(QeldbZip, PackListAndUnpackRoundTrip) {
  qeltest::TimeZone tz("EST5EDT,M3.2.0,M11.1.0");
  TempDir dir;
  const std::string src = MakeFolder(dir), archive = dir.File("tower.zip");
  auto r = RunQeldb(
      {"pack", src, archive, "--ignore", "*.bak scratch.txt", "--comment", "tower, issued"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "packed 3 files into " + archive + "\n");
  EXPECT_EQ(r.err, "") << "no progress bar when stderr is no terminal";

  r = RunQeldb({"ls", archive});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "tower, issued");
  EXPECT_NE(
      r.out.find("        3000           21  e196e038  2021-12-31T19:00:00  results/tower.sfr\n"),
      std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("2022-03-04T00:06:08  tower.b3d\n"), std::string::npos) << r.out;

  // The JSON listing agrees with Python's reading of the same archive.
  const auto j = qeltest::RunQeldbJson({"ls", archive});
  EXPECT_EQ(j["comment"], "tower, issued");
  ASSERT_EQ(j["entries"].size(), 3u);
  std::string fromJson = "tower, issued\n";
  for (const auto& e : j["entries"]) {
    std::string date = e["date"];
    date[10] = ' ';
    const std::string name = e["name"];
    fromJson += name + "|" + date + "|" + std::string(e["crc32"]) + "|" +
                std::to_string(e["size"].get<long>()) + "|8|" +
                HexOf(qeltest::ReadText(src + "/" + name)) + "\n";
  }
  EXPECT_EQ(qeltest::PythonZipListing(archive), fromJson);
  EXPECT_EQ(qeltest::RunQeldbJson({"ls", archive, "--ext", "QEL"})["entries"].size(), 1u);

  // Restored: the same files with the same contents and times (zip dates count even seconds;
  // the archive holds no folder entries, so folders are as new as their restoring).
  const std::string dest = dir.File("restored");
  r = RunQeldb({"unpack", archive, dest});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "unpacked 3 entries into " + dest + "\n");
  fs::remove(src + "/tower.bak");
  fs::remove(src + "/scratch.txt");
  qeltest::SetFileTime(dest + "/results", qeltest::FileTime(src + "/results"));
  EXPECT_EQ(Snapshot(dest, true), Snapshot(src, true));

  // Nothing is replaced without being asked; then --force does it.
  WriteText(dest + "/tower.qel", "edited");
  r = RunQeldb({"unpack", archive, dest});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find(dest + "/tower.qel already exists"), std::string::npos) << r.err;
  EXPECT_EQ(qeltest::ReadText(dest + "/tower.qel"), "edited");
  r = RunQeldb({"unpack", archive, dest, "--force"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Snapshot(dest), Snapshot(src));
  r = RunQeldb({"pack", src, archive});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("already exists (use --force"), std::string::npos) << r.err;

  // Deleting originals once the archive is in place.
  r = RunQeldb({"pack", src, archive, "--force", "--root-only", "--delete-originals"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "packed 2 files into " + archive + " (2 originals deleted)\n");
  EXPECT_EQ(Snapshot(src).size(), 2u) << "results/ and results/tower.sfr are left";
  EXPECT_TRUE(fs::exists(src + "/results/tower.sfr"));
  r = RunQeldb({"ls", archive});
  EXPECT_EQ(r.out.substr(0, 1), "\n") << "no comment: an empty first line";
}

TEST(QeldbZip, ArchivesOfInfoZipUnpackToTheSameTree) {
  TempDir dir;
  const std::string src = MakeFolder(dir);
  fs::create_directories(src + "/empty/inner");
  // Even seconds: zip dates have no odd ones (Info-ZIP's unzip restores its own finer field).
  for (const char* path : {"/tower.bak", "/scratch.txt", "/empty/inner", "/empty", "/results"})
    qeltest::SetFileTime(src + path, qeltest::Utc(2023, 5, 5, 5, 5, 6));
  const std::string archive = dir.File("by-zip.zip");
  auto z = qeltest::RunProcess(
      {Tool("bash"), "-c",
       "cd '" + src + "' && '" + Tool("zip") + "' -r -9 -q '" + archive + "' ."});
  ASSERT_EQ(z.exitCode, 0) << z.err;
  auto r = RunQeldb({"unpack", archive, dir.File("ours")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  auto u = RunProcess({Tool("unzip"), "-q", archive, "-d", dir.File("theirs")});
  ASSERT_EQ(u.exitCode, 0) << u.err;
  EXPECT_EQ(Snapshot(dir.File("ours"), true), Snapshot(src, true));
  EXPECT_EQ(Snapshot(dir.File("ours"), true), Snapshot(dir.File("theirs"), true));
}

TEST(QeldbZip, HostileAndDamagedArchives) {
  TempDir dir;
  qeltest::WriteBytes(dir.File("hostile.zip"),
                      qeltest::BuildZip({Entry("../outside.txt", qeltest::Text("x")),
                                         Entry("inside/ok.txt", qeltest::Text("ok"))})
                          .bytes);
  const std::string dest = dir.File("a/b");
  fs::create_directories(dir.File("a"));
  WriteText(dir.File("a/outside.txt"), "mine");  // what a refused name would have replaced
  auto r = RunQeldb({"unpack", dir.File("hostile.zip"), dest});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("qeldb: ../outside.txt: refused"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "unpacked 1 entry into " + dest + "\n");
  EXPECT_EQ(qeltest::ReadText(dir.File("a/outside.txt")), "mine");
  EXPECT_EQ(qeltest::ReadText(dest + "/inside/ok.txt"), "ok");

  qeltest::WriteText(dir.File("text.zip"), "not an archive");
  for (const char* name : {"text.zip", "missing.zip"}) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"ls", dir.File(name)},
                                                 {"unpack", dir.File(name), dir.File("never")}}) {
      r = RunQeldb(args);
      EXPECT_EQ(r.exitCode, 2) << args[0] << " " << name;
      EXPECT_EQ(r.out, "");
      EXPECT_NE(r.err.find(name == std::string("missing.zip") ? "no such file"
                                                              : "not a readable zip archive"),
                std::string::npos)
          << r.err;
    }
  }
  EXPECT_FALSE(fs::exists(dir.File("never")));
  r = RunQeldb({"pack", dir.File("no-folder"), dir.File("x.zip")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_FALSE(fs::exists(dir.File("x.zip")));
}

TEST(QeldbZip, ArchiveOptionReadsTheModelAsItsFolderWould) {
  TempDir dir;
  const std::string folder = dir.File("models/tower");
  fs::create_directories(folder);
  const std::string base = folder + "/tower";
  const qeltest::ScopedEnv devini("DEVINI",
                                  (std::string(QELDB_SOURCE_DIR) + "/samples/settings/").c_str());
  // Beams of an older layout: both roads convert them in memory, neither writes.
  auto r = RunQeldb(
      {"demo-model", base, "--stories", "2", "--beams-per-story", "4", "--beam-stamp", "14.5.0"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string archive = dir.File("models.zip");
  ASSERT_EQ(RunQeldb({"pack", dir.File("models"), archive}).exitCode, 0);

  const auto before = Snapshot(dir.path().string(), true);
  // Inside the archive the model is "tower/tower" ("@" below); the same output either way.
  for (const std::vector<std::string>& cmd :
       std::vector<std::vector<std::string>>{{"tables", "@", "--json"},
                                             {"mdf", "@", "--json"},
                                             {"grids", "@", "--json"},
                                             {"plan", "@"},
                                             {"stories", "@", "--json"},
                                             {"members", "@", "beams", "--json"},
                                             {"members", "@", "walls", "--story", "1"},
                                             {"combos", "@", "cmb", "--json"},
                                             {"deflcrit", "@", "--json"}}) {
    std::vector<std::string> fromFolder, fromArchive;
    for (const std::string& a : cmd) {
      fromFolder.push_back(a == "@" ? base : a);
      fromArchive.push_back(a == "@" ? "tower\\tower.qel" : a);
    }
    fromArchive.insert(fromArchive.end(), {"--archive", archive});
    const auto folderRun = RunQeldb(fromFolder), archiveRun = RunQeldb(fromArchive);
    EXPECT_EQ(archiveRun.exitCode, folderRun.exitCode) << cmd[0] << ": " << archiveRun.err;
    EXPECT_FALSE(folderRun.out.empty()) << cmd[0] << ": " << folderRun.err;
    EXPECT_EQ(archiveRun.out, folderRun.out) << cmd[0];
  }
  EXPECT_EQ(Snapshot(dir.path().string(), true), before) << "reading wrote nothing anywhere";

  // An entry that fails its CRC is unreadable, and nothing is taken from the disk instead.
  std::vector<unsigned char> beams(2 * 1312, 0);
  auto bad = Entry("TOWER.B3D", beams);
  bad.crc = 0;
  qeltest::WriteBytes(
      dir.File("bad.zip"),
      qeltest::BuildZip({Entry("tower.sty", std::vector<unsigned char>(336, 0)), bad}).bytes);
  EXPECT_EQ(qeltest::RunQeldbJson({"tables", "tower", "--archive", dir.File("bad.zip")}),
            nlohmann::json::parse(R"([
      {"ext": "sty", "bytes": 336, "records": 1, "stamp": null},
      {"ext": "b3d", "bytes": 2624, "records": null, "stamp": null}])"));

  r = RunQeldb({"tables", "other", "--archive", archive});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("no model named other in the archive"), std::string::npos) << r.err;
  r = RunQeldb({"mdf", "tower/tower", "--archive", dir.path().string()});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("is a directory, not a zip archive"), std::string::npos) << r.err;
  r = RunQeldb({"grids", "tower/nothing", "--archive", archive});
  EXPECT_EQ(r.exitCode, 2);
}

}  // namespace
