// The master data file: CDBIO::ReadMdf of an XML master data file (defaults from a settings file
// that holds every key the defaults read) and CDBIO::WriteMdf, beside the floor: a bare pugixml
// parse of the same file's bytes, read from disk the same way.
//
// Reported: time per call of each, and ratio counters measured in one loop with processor time:
//   read_ratio  = ReadMdf / (read file + bare parse)
//   write_ratio = WriteMdf into an open file / (read file + bare parse)
//   defaults_share = new-model defaults / ReadMdf (what the settings file costs each read)
// The safe save (temporary file, fsync, rename) is shown on its own: its cost is the disk's.
#include <benchmark/benchmark.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "dbio/dbio.h"
#include "full_settings_file.h"
#include "mdf/cqelmdf.h"
#include "mdf/settings.h"
#include "mdf/smdf.h"
#include "platform/cfile.h"
#include "platform/file_system.h"

namespace {

struct Fixture {
  std::filesystem::path dir;
  std::string base, file;
  std::unique_ptr<SMDF> mdf = std::make_unique<SMDF>();
  double fileBytes = 0;

  Fixture() {
    dir = std::filesystem::temp_directory_path() /
          ("qeldb_bench_mdf_" +
           std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(dir);
    qelbench::WriteFullSettingsFile(dir / "quvol.ini");
    setenv("DEVINI", (dir.string() + "/").c_str(), 1);
    qel::ResetSettingsState();

    // The model: a new model's record, saved once.
    base = (dir / "model").string();
    file = base + ".qel";
    CQelMDF(0, mdf.get()).FileNewInit(0, "bench");
    CDBIO db(base.c_str(), mdf.get());
    db.WriteMdf(mdf.get());
    fileBytes = static_cast<double>(std::filesystem::file_size(file));
  }
  ~Fixture() { std::filesystem::remove_all(dir); }
};

Fixture& Fix() {
  static Fixture f;
  return f;
}

bool ReadAndBareParse(const std::string& path) {
  std::vector<unsigned char> bytes;
  if (!qel::ReadWholeFile(path, bytes)) return false;
  pugi::xml_document doc;
  return static_cast<bool>(doc.load_buffer(bytes.data(), bytes.size()));
}

bool ReadMdf(const Fixture& f, SMDF& out) {
  CDBIO db(f.base.c_str(), &out);
  return db.ReadMdf(&out);
}

bool WriteToOpenFile(const Fixture& f, const std::string& path) {
  CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
  CDBIO db(f.base.c_str(), f.mdf.get());
  return db.WriteMdf(f.mdf.get(), file);
}

void BM_ReadFileAndBareParse(benchmark::State& state) {
  const Fixture& f = Fix();
  for (auto _ : state)
    if (!ReadAndBareParse(f.file)) state.SkipWithError("parse failed");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.fileBytes));
  state.counters["file_bytes"] = f.fileBytes;
}
BENCHMARK(BM_ReadFileAndBareParse);

void BM_ReadMdf(benchmark::State& state) {
  const Fixture& f = Fix();
  SMDF out{};
  for (auto _ : state) {
    if (!ReadMdf(f, out)) state.SkipWithError("ReadMdf failed");
    benchmark::DoNotOptimize(&out);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.fileBytes));
}
BENCHMARK(BM_ReadMdf);

// The defaults of a new model alone: the part of ReadMdf that reads the settings file.
void BM_NewModelDefaults(benchmark::State& state) {
  Fix();
  SMDF out{};
  for (auto _ : state) {
    CQelMDF(0, &out).FileNewInit(0, "");
    benchmark::DoNotOptimize(&out);
  }
}
BENCHMARK(BM_NewModelDefaults);

void BM_WriteMdfToOpenFile(benchmark::State& state) {
  const Fixture& f = Fix();
  const std::string path = (f.dir / "scratch.qel").string();
  for (auto _ : state)
    if (!WriteToOpenFile(f, path)) state.SkipWithError("WriteMdf failed");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.fileBytes));
}
BENCHMARK(BM_WriteMdfToOpenFile);

void BM_WriteMdfSafeSave(benchmark::State& state) {
  Fixture& f = Fix();
  CDBIO db(f.base.c_str(), f.mdf.get());
  for (auto _ : state)
    if (!db.WriteMdf(f.mdf.get())) state.SkipWithError("WriteMdf failed");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.fileBytes));
}
BENCHMARK(BM_WriteMdfSafeSave)->Iterations(50);

// Both sides interleaved in the same iterations, processor time, so the neighbours on a shared
// machine weigh on both alike.
void BM_Ratios(benchmark::State& state) {
  const Fixture& f = Fix();
  const std::string scratch = (f.dir / "scratch.qel").string();
  SMDF out{};
  std::clock_t floor = 0, read = 0, write = 0, defaults = 0;
  for (auto _ : state) {
    const std::clock_t t0 = std::clock();
    for (int i = 0; i < 4; ++i) benchmark::DoNotOptimize(ReadAndBareParse(f.file));
    const std::clock_t t1 = std::clock();
    for (int i = 0; i < 4; ++i) benchmark::DoNotOptimize(ReadMdf(f, out));
    const std::clock_t t2 = std::clock();
    for (int i = 0; i < 4; ++i) benchmark::DoNotOptimize(WriteToOpenFile(f, scratch));
    const std::clock_t t3 = std::clock();
    for (int i = 0; i < 4; ++i) {
      CQelMDF(0, &out).FileNewInit(0, "");
      benchmark::DoNotOptimize(&out);
    }
    const std::clock_t t4 = std::clock();
    defaults += t4 - t3;
    floor += t1 - t0;
    read += t2 - t1;
    write += t3 - t2;
  }
  const double base = floor > 0 ? static_cast<double>(floor) : 1.0;
  state.counters["read_ratio"] = static_cast<double>(read) / base;
  state.counters["write_ratio"] = static_cast<double>(write) / base;
  state.counters["defaults_share"] =
      read > 0 ? static_cast<double>(defaults) / static_cast<double>(read) : 0.0;
}
BENCHMARK(BM_Ratios);

}  // namespace
