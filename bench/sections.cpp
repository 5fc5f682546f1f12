// Building the master steel table: BuildSteelDesignTables2 over a generated 2,000-row section
// table (every shape, rows with only dimensions and rows with properties, an angle block read
// twice) beside the floor: a plain fgets + sscanf loop over the same file.
//
// Reported: time per build, time per floor pass, and ratio = build / floor measured in one loop
// with processor time, both sides interleaved. Goal: ratio <= 2.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "mdf/settings.h"
#include "mdf/smdf.h"
#include "platform/messages.h"
#include "tables/master_table.h"
#include "tables/steel_design_tables.h"

namespace {

constexpr int kRows = 2000;

struct Fixture {
  std::filesystem::path dir;
  std::string model, table;
  std::unique_ptr<SMDF> record = std::make_unique<SMDF>();

  Fixture() {
    dir = std::filesystem::temp_directory_path() /
          ("qeldb-bench-sections-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "tables");
    std::ofstream(dir / "quvol.ini")
        << "[Directories]\ntables=" << (dir / "tables").string() << "\n";
    setenv("DEVINI", (dir.string() + "/").c_str(), 1);
    qel::ResetSettingsState();
    qel::SetMessageSink([](const char*, const char*, UINT) { return IDOK; });
    model = (dir / "bench.qel").string();
    table = (dir / "bench.tab").string();
    Generate(table);
  }
  ~Fixture() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }

  // kRows data rows: 45% I-shapes (a third with their properties), then channels, tubes, pipes,
  // an angle block, tees and bars.
  static void Generate(const std::string& path) {
    std::mt19937 rng(18);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::FILE* f = std::fopen(path.c_str(), "w");
    std::fprintf(f, "; generated section table\nE\nI\n");
    int row = 0;
    auto at = [&](double share) { return row < static_cast<int>(kRows * share); };
    for (; at(0.45); ++row) {
      const double d = 6 + 30 * u(rng), tw = 0.2 + 0.6 * u(rng), bf = 4 + 12 * u(rng),
                   tf = 0.3 + 1.2 * u(rng);
      if (row % 3 == 0)
        std::fprintf(f,
                     "W%dX%d A %.3f %.3f %.2f %.3f %.2f %.3f %.3f %.3f %.2f %.1f %.1f %.1f %.1f "
                     "%.1f %.2f %.2f %.3f %.0f\n",
                     static_cast<int>(d), row, d, tw, bf, tf, bf, tf, tf + 0.4, tf + 0.4,
                     2 * bf * tf + d * tw, 900 * u(rng), 90 * u(rng), 90 * u(rng), 99 * u(rng),
                     60 * u(rng), 9 * u(rng), 14 * u(rng), u(rng), 3000 * u(rng));
      else
        std::fprintf(f, "W%dX%d A %.3f %.3f %.2f %.3f\n", static_cast<int>(d), row, d, tw, bf, tf);
    }
    std::fprintf(f, "CHANNEL\n");
    for (; at(0.60); ++row)
      std::fprintf(f, "C%dX%d A %.2f %.3f %.2f %.3f\n", row % 15 + 3, row, 3 + 12 * u(rng),
                   0.2 + 0.3 * u(rng), 1.5 + 2 * u(rng), 0.3 + 0.4 * u(rng));
    std::fprintf(f, "TS\n");
    for (; at(0.70); ++row)
      std::fprintf(f, "HSS%dX%d A %.1f %.3f %.1f %.3f\n", row % 12 + 2, row, 2 + 14 * u(rng),
                   0.1 + 0.5 * u(rng), 2 + 10 * u(rng), 0.1 + 0.5 * u(rng));
    std::fprintf(f, "PIPE\n");
    for (; at(0.78); ++row)
      std::fprintf(f, "PIPE%dX%d A %.3f %.3f\n", row % 12 + 1, row, 1 + 20 * u(rng),
                   0.1 + 0.4 * u(rng));
    std::fprintf(f, "L\n");
    for (; at(0.90); ++row)
      std::fprintf(f, "L%dX%d A %.2f %.2f %.3f\n", row % 8 + 2, row, 2 + 6 * u(rng), 2 + 6 * u(rng),
                   0.125 + 0.75 * u(rng));
    std::fprintf(f, "TEE\n");
    for (; at(0.96); ++row)
      std::fprintf(f, "WT%dX%d A %.3f %.3f %.2f %.3f\n", row % 18 + 2, row, 3 + 15 * u(rng),
                   0.2 + 0.5 * u(rng), 4 + 10 * u(rng), 0.3 + 1.0 * u(rng));
    std::fprintf(f, "ROUNDBAR\n");
    for (; at(0.98); ++row) std::fprintf(f, "RB%d %.3f\n", row, 0.5 + 3 * u(rng));
    std::fprintf(f, "FLATBAR\n");
    for (; row < kRows; ++row)
      std::fprintf(f, "FB%d A %.2f %.3f\n", row, 2 + 10 * u(rng), 0.25 + u(rng));
    std::fclose(f);
  }
};

Fixture& Fix() {
  static Fixture f;
  return f;
}

int Build(const Fixture& f) {
  const int ok = BuildSteelDesignTables2(nullptr, f.model.c_str(), f.record.get());
  const int n = NumMasterTable;
  DeleteMasterSteelTable();
  return ok ? n : -1;
}

// The floor: every line read and scanned once with the C library, as many numbers as an I-shape
// line may hold.
int FgetsSscanf(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return -1;
  char line[299], name[16];
  char code = 0;
  float v[32];
  int fields = 0;
  while (std::fgets(line, sizeof line, f))
    fields += std::sscanf(line,
                          "%15s %c %f %f %f %f %f %f %f %f %f %f %f %f %f %f %f %f %f %f %f %f %f "
                          "%f %f %f %f %f %f %f %f %f %f %f",
                          name, &code, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7],
                          &v[8], &v[9], &v[10], &v[11], &v[12], &v[13], &v[14], &v[15], &v[16],
                          &v[17], &v[18], &v[19], &v[20], &v[21], &v[22], &v[23], &v[24], &v[25],
                          &v[26], &v[27], &v[28], &v[29], &v[30], &v[31]);
  std::fclose(f);
  return fields;
}

void BM_BuildSteelDesignTables(benchmark::State& state) {
  const Fixture& f = Fix();
  for (auto _ : state) benchmark::DoNotOptimize(Build(f));
  state.counters["records"] = Build(f);
}
BENCHMARK(BM_BuildSteelDesignTables)->Unit(benchmark::kMillisecond);

void BM_FgetsSscanf(benchmark::State& state) {
  const Fixture& f = Fix();
  for (auto _ : state) benchmark::DoNotOptimize(FgetsSscanf(f.table));
}
BENCHMARK(BM_FgetsSscanf)->Unit(benchmark::kMillisecond);

// Both sides interleaved in the same iterations, processor time, so the neighbours on a shared
// machine weigh on both alike.
void BM_Ratio(benchmark::State& state) {
  const Fixture& f = Fix();
  std::clock_t floor = 0, ours = 0;
  for (auto _ : state) {
    const std::clock_t t0 = std::clock();
    for (int i = 0; i < 4; ++i) benchmark::DoNotOptimize(FgetsSscanf(f.table));
    const std::clock_t t1 = std::clock();
    for (int i = 0; i < 4; ++i) benchmark::DoNotOptimize(Build(f));
    const std::clock_t t2 = std::clock();
    floor += t1 - t0;
    ours += t2 - t1;
  }
  state.counters["ratio"] = static_cast<double>(ours) / static_cast<double>(floor > 0 ? floor : 1);
}
BENCHMARK(BM_Ratio)->Unit(benchmark::kMillisecond);

}  // namespace
