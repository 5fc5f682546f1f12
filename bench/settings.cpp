// Per-read cost of QelGetProfileDouble from settings files of 100 and 10,000 lines, beside the
// floor: a lookup of the same keys in an in-memory hash map. After the first read the file is
// served from the parse cache, so the cost should not grow with the file's size.
#include "mdf/settings.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/paths.h"
#include "platform/profile.h"

namespace {

namespace fs = std::filesystem;

constexpr int kKeysPerSection = 50;
constexpr int kReadsPerPass = 256;

struct Fixture {
  fs::path dir;
  std::vector<std::pair<std::string, std::string>> probes;  // (section, key) read in turn
  std::unordered_map<std::string, double> map;              // the same keys, in memory

  explicit Fixture(int lines) {
    dir = fs::temp_directory_path() / ("qeldb-bench-settings-" + std::to_string(lines));
    fs::create_directories(dir);
    std::ofstream out(dir / "quvol.ini", std::ios::binary | std::ios::trunc);
    std::vector<std::pair<std::string, std::string>> all;
    int written = 0;
    for (int s = 0; written < lines; ++s) {
      std::string section = "Section" + std::to_string(s);
      out << "[" << section << "]\r\n";
      ++written;
      for (int k = 0; k < kKeysPerSection && written < lines; ++k, ++written) {
        std::string key = "DefaultValue" + std::to_string(k);
        double v = s * 1000 + k + 0.5;
        out << key << " = " << v << "\r\n";
        all.emplace_back(section, key);
        map.emplace(section + "\n" + key, v);
      }
    }
    out.close();
    // Settings files are old when a model reads them; a fresh one would be re-checked by content.
    fs::last_write_time(dir / "quvol.ini",
                        fs::file_time_type::clock::now() - std::chrono::hours(1));
    // Probes spread over the whole file.
    for (int i = 0; i < kReadsPerPass; ++i)
      probes.push_back(all[(static_cast<std::size_t>(i) * 7919u) % all.size()]);
    qel::SetWindowsFolder(dir.string());
    qel::SetCommonAppDataFolder(std::string());
    qel::ResetSettingsState();
  }
  ~Fixture() {
    qel::SetWindowsFolder(std::nullopt);
    qel::SetCommonAppDataFolder(std::nullopt);
    qel::ResetSettingsState();
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

void BM_QelGetProfileDouble(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)));
  double sum = 0;
  QelGetProfileDouble(f.probes[0].first.c_str(), f.probes[0].second.c_str(), 0.0);  // first read
  for (auto _ : state)
    for (const auto& [section, key] : f.probes)
      sum += QelGetProfileDouble(section.c_str(), key.c_str(), 0.0);
  benchmark::DoNotOptimize(sum);
  if (sum <= 0) state.SkipWithError("values were not read");
  state.SetItemsProcessed(state.iterations() * kReadsPerPass);
}
BENCHMARK(BM_QelGetProfileDouble)->Arg(100)->Arg(10000);

// Floor: the same keys looked up in memory.
void BM_InMemoryMap(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)));
  std::vector<std::string> keys;
  for (const auto& [section, key] : f.probes) keys.push_back(section + "\n" + key);
  double sum = 0;
  for (auto _ : state)
    for (const auto& k : keys) sum += f.map.find(k)->second;
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * kReadsPerPass);
}
BENCHMARK(BM_InMemoryMap)->Arg(100)->Arg(10000);

// For scale: a read that has to parse the file (cache emptied each time).
void BM_FirstRead(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)));
  double sum = 0;
  for (auto _ : state) {
    qel::ClearProfileCache();
    sum += QelGetProfileDouble(f.probes[0].first.c_str(), f.probes[0].second.c_str(), 0.0);
  }
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_FirstRead)->Arg(100)->Arg(10000);

}  // namespace
