// A new model's defaults (CQelMDF::FileNewInit) from a settings file that holds every key the
// groups read, beside the floor: one bare parse of the same file. Both start from a cold profile
// cache, so FileNewInit pays one parse plus its ~800 lookups.
//
// Reported: time per call of each, and ratio = FileNewInit / bare parse measured in one loop with
// processor time (goal: at most 2).
#include <benchmark/benchmark.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "full_settings_file.h"
#include "mdf/cqelmdf.h"
#include "mdf/settings.h"
#include "platform/paths.h"
#include "platform/profile.h"

namespace {

struct Fixture {
  std::filesystem::path dir;
  std::string file;
  double fileBytes = 0;
  Fixture() {
    dir = std::filesystem::temp_directory_path() /
          ("qeldb_bench_defaults_" +
           std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(dir);
    file = (dir / "quvol.ini").string();
    qelbench::WriteFullSettingsFile(file);
    fileBytes = static_cast<double>(std::filesystem::file_size(file));
    // An old time stamp: the cache then trusts (size, mtime) without re-reading the content.
    std::filesystem::last_write_time(
        file, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    setenv("DEVINI", (dir.string() + "/").c_str(), 1);
    qel::ResetSettingsState();
  }
  ~Fixture() { std::filesystem::remove_all(dir); }
};

Fixture& Fix() {
  static Fixture f;
  return f;
}

void BM_BareParse(benchmark::State& state) {
  const std::string& file = Fix().file;
  char buf[64];
  for (auto _ : state) {
    qel::ClearProfileCache();
    GetPrivateProfileStringA("MiscDefaults", "BeamFy", "", buf, sizeof buf, file.c_str());
    benchmark::DoNotOptimize(buf);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Fix().fileBytes));
}
BENCHMARK(BM_BareParse)->Unit(benchmark::kMicrosecond);

void BM_FileNewInit(benchmark::State& state) {
  Fix();
  const int units = static_cast<int>(state.range(0));
  SMDF m{};
  CQelMDF mdf(units, &m);
  for (auto _ : state) {
    qel::ClearProfileCache();
    mdf.FileNewInit(units, "bench");
    benchmark::DoNotOptimize(m);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Fix().fileBytes));
}
BENCHMARK(BM_FileNewInit)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Both sides in the same iterations, so the neighbours on a shared machine weigh on both alike.
void BM_Ratio(benchmark::State& state) {
  const std::string& file = Fix().file;
  const int units = static_cast<int>(state.range(0));
  SMDF m{};
  CQelMDF mdf(units, &m);
  char buf[64];
  std::clock_t parse = 0, defaults = 0;
  for (auto _ : state) {
    const std::clock_t t0 = std::clock();
    for (int i = 0; i < 8; ++i) {
      qel::ClearProfileCache();
      GetPrivateProfileStringA("MiscDefaults", "BeamFy", "", buf, sizeof buf, file.c_str());
      benchmark::DoNotOptimize(buf);
    }
    const std::clock_t t1 = std::clock();
    for (int i = 0; i < 8; ++i) {
      qel::ClearProfileCache();
      mdf.FileNewInit(units, "bench");
      benchmark::DoNotOptimize(m);
    }
    defaults += std::clock() - t1;
    parse += t1 - t0;
  }
  state.counters["ratio"] =
      parse > 0 ? static_cast<double>(defaults) / static_cast<double>(parse) : 0.0;
}
BENCHMARK(BM_Ratio)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
