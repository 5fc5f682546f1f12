// Packing and unpacking a model folder of about 200 MiB: CQelZip / CQelUnzip beside Info-ZIP's
// `zip -r -9 -q` and `unzip -q` of the same folder, measured in the same iterations (alternating
// which goes first, so both see the same page cache and the same load on a shared machine).
// Counters: ratio = tool time / our time (1.0: as fast as the tool), our and the tool's archive
// size in bytes. Goals: pack ratio >= 1/1.05 (0.952), unpack ratio >= 1/1.1 (0.909).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "archive/qel_unzip.h"
#include "archive/qel_zip.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// A table file of fixed-size records as a model stores them: a stamp and ids, coordinates on a
// building grid, section and material names from short lists, flags and small counts, long runs
// of zero (unused fields), and analysis results as doubles that do not repeat.
void WriteRecords(const fs::path& path, std::size_t bytes, std::size_t recordSize,
                  std::uint64_t seed) {
  static const char* const kSections[] = {"W14X22", "W16X26",     "W18X35",   "W21X44",
                                          "W24X55", "HSS6X6X1/4", "C12X20.7", "L4X4X3/8"};
  std::mt19937_64 rng(seed);
  std::vector<unsigned char> rec(recordSize);
  std::ofstream out(path, std::ios::binary);
  for (std::size_t written = 0, id = 1; written < bytes; written += recordSize, ++id) {
    std::fill(rec.begin(), rec.end(), 0);
    auto put = [&rec](std::size_t at, const void* p, std::size_t n) {
      if (at + n <= rec.size()) std::memcpy(rec.data() + at, p, n);
    };
    const std::uint32_t stamp = 0x00110100, ident = static_cast<std::uint32_t>(id);
    put(0, &stamp, 4);
    put(4, &ident, 4);
    for (int k = 0; k < 6; ++k) {
      const double coord = 12.0 * static_cast<double>(rng() % 400) + (rng() % 4 == 0 ? 6.0 : 0.0);
      put(8 + 8 * k, &coord, 8);
    }
    const char* section = kSections[rng() % 8];
    put(56, section, std::strlen(section));
    const std::int32_t flags[4] = {static_cast<std::int32_t>(rng() % 3), 1, 0,
                                   static_cast<std::int32_t>(rng() % 12)};
    put(88, flags, sizeof flags);
    const double fy = 50.0, e = 29000.0;
    put(104, &fy, 8);
    put(112, &e, 8);
    // Results: about a fifth of the record, each value its own.
    std::normal_distribution<double> force(0.0, 120.0);
    for (std::size_t at = recordSize * 3 / 4; at + 8 <= recordSize * 19 / 20; at += 8) {
      const double f = force(rng);
      put(at, &f, 8);
    }
    out.write(reinterpret_cast<const char*>(rec.data()), static_cast<std::streamsize>(recordSize));
  }
}

struct Folder {
  fs::path root, model, ours, theirs, ourOut, theirOut;
  std::uintmax_t bytes = 0;
  Folder() {
    root =
        fs::temp_directory_path() / ("qeldb-bench-zip-" + std::to_string(std::random_device{}()));
    model = root / "tower";
    fs::create_directories(model / "results");
    // 24 tables of 1 to 12 MiB and 4 result files of 11 MiB: 200 MiB.
    const std::size_t sizes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    std::uint64_t seed = 1;
    for (int copy = 0; copy < 2; ++copy)
      for (std::size_t mib : sizes)
        WriteRecords(model / ("tower" + std::to_string(copy) + "_" + std::to_string(mib) + ".b3d"),
                     mib << 20, 1312, seed++);
    for (int k = 0; k < 4; ++k)
      WriteRecords(model / "results" / ("case" + std::to_string(k) + ".res"), 11u << 20, 640,
                   seed++);
    for (const auto& e : fs::recursive_directory_iterator(model))
      if (e.is_regular_file()) bytes += e.file_size();
    ours = root / "ours.zip";
    theirs = root / "theirs.zip";
    ourOut = root / "ours-out";
    theirOut = root / "theirs-out";
  }
  ~Folder() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
};

Folder& TheFolder() {
  static Folder f;
  return f;
}

bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }

std::string Quoted(const fs::path& p) {
  return std::string(1, '\'').append(p.string()).append(1, '\'');
}

bool OurPack(const Folder& f) {
  fs::remove(f.ours);
  CQelZip zip;
  if (!zip.Open(f.ours.c_str())) return false;
  const bool ok = zip.Zip(f.model.c_str());
  zip.Close();
  return ok;
}

bool TheirPack(const Folder& f) {
  fs::remove(f.theirs);
  return Run("cd " + Quoted(f.model) + " && zip -r -9 -q " + Quoted(f.theirs) + " .");
}

bool OurUnpack(const Folder& f) {
  CQelUnzip unzip;
  return unzip.Open(f.ours.c_str()) && unzip.Unzip(f.ourOut.c_str());
}

bool TheirUnpack(const Folder& f) {
  return Run("unzip -q -o " + Quoted(f.theirs) + " -d " + Quoted(f.theirOut));
}

// Times ours and theirs once each per iteration, alternating which goes first; `reset` runs
// untimed before each of them. The iteration time is ours.
template <class Ours, class Theirs, class Reset>
void Alternate(benchmark::State& state, Ours ours, Theirs theirs, Reset reset) {
  double ourTotal = 0, theirTotal = 0;
  bool oursFirst = true;
  for (auto _ : state) {
    double mine = 0;
    for (int pass = 0; pass < 2; ++pass) {
      reset();
      const auto t0 = Clock::now();
      if (oursFirst == (pass == 0)) {
        if (!ours()) state.SkipWithError("ours failed");
        mine = Seconds(t0, Clock::now());
      } else {
        if (!theirs()) state.SkipWithError("the tool failed");
        theirTotal += Seconds(t0, Clock::now());
      }
    }
    ourTotal += mine;
    state.SetIterationTime(mine);
    oursFirst = !oursFirst;
  }
  const Folder& f = TheFolder();
  state.counters["ratio"] = theirTotal / ourTotal;
  state.counters["MiB"] = static_cast<double>(f.bytes) / (1 << 20);
  state.counters["ours_bytes"] = static_cast<double>(fs::file_size(f.ours));
  state.counters["tool_bytes"] = static_cast<double>(fs::file_size(f.theirs));
}

void BM_Pack(benchmark::State& state) {
  Folder& f = TheFolder();
  Alternate(
      state, [&] { return OurPack(f); }, [&] { return TheirPack(f); }, [] {});
}
BENCHMARK(BM_Pack)->Iterations(3)->UseManualTime()->Unit(benchmark::kSecond);

void BM_Unpack(benchmark::State& state) {
  Folder& f = TheFolder();
  if (!fs::exists(f.ours) && !OurPack(f)) state.SkipWithError("pack");
  if (!fs::exists(f.theirs) && !TheirPack(f)) state.SkipWithError("zip");
  Alternate(
      state, [&] { return OurUnpack(f); }, [&] { return TheirUnpack(f); },
      [&] {
        std::error_code ec;
        fs::remove_all(f.ourOut, ec);
        fs::remove_all(f.theirOut, ec);
      });
}
BENCHMARK(BM_Unpack)->Iterations(5)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
