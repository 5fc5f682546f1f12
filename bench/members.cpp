// CDBIO::InitBeamZs on generated buildings (stories x beams per story), beside the floor: a raw
// read and write of the same beam bytes (open/read/close and open/write/close of the model's beam
// file), measured in the same iterations, alternating which goes first.
//
// Counters: x_raw = InitBeamZs time / raw time (goal at 100 x 1000: at most 3), us_per_beam,
// and on the 100 x 4000 model x_1000 = its time / the 100 x 1000 model's time (4x the beams;
// goal: at most 5).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "dbio/dbio.h"
#include "mdf/cqelmdf.h"
#include "mdf/smdf.h"
#include "model_gen.h"

namespace {

class BenchDB : public CDBIO {
 public:
  using CDBIO::CDBIO;
  using CDBIO::InitBeamZs;
};

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

struct Model {
  std::string base;
  SMDF mdf{};
  std::size_t beamBytes = 0;
};

// The benchmark's scratch folder, removed at exit.
struct Scratch {
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("qeldb-bench-members-" + std::to_string(getpid()));
  Scratch() { std::filesystem::create_directories(dir); }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};
const std::filesystem::path& Folder() {
  static Scratch scratch;
  return scratch.dir;
}

// One generated model per size, made on first use (outside any timing).
Model& TheModel(int stories, int beams) {
  static std::map<std::pair<int, int>, Model> models;
  Model& m = models[{stories, beams}];
  if (!m.base.empty()) return m;
  CQelMDF::SetProfileReader(
      [](const char*, const char*, const char* def) { return std::string(def); });
  m.base = (Folder() / ("m" + std::to_string(stories) + "x" + std::to_string(beams))).string();
  qelgen::Options opt;
  opt.stories = stories;
  opt.beamsPerStory = beams;
  std::vector<std::string> written;
  std::string error;
  if (!qelgen::Generate(m.base, opt, written, error)) std::fprintf(stderr, "%s\n", error.c_str());
  BenchDB db(CString(m.base), &m.mdf);
  db.ReadMdf(&m.mdf);
  m.beamBytes = std::filesystem::file_size(m.base + ".b3d");
  return m;
}

bool RawReadWrite(const std::string& path, std::vector<unsigned char>& buf) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < buf.size()) {
    const ssize_t n = ::read(fd, buf.data() + done, buf.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (done != buf.size()) return false;
  fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  done = 0;
  while (done < buf.size()) {
    const ssize_t n = ::write(fd, buf.data() + done, buf.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return done == buf.size();
}

std::map<std::pair<int, int>, double>& Measured() {
  static std::map<std::pair<int, int>, double> seconds;
  return seconds;
}

void BM_InitBeamZs(benchmark::State& state) {
  const int stories = static_cast<int>(state.range(0)), beams = static_cast<int>(state.range(1));
  Model& m = TheModel(stories, beams);
  BenchDB db(CString(m.base), &m.mdf);
  std::vector<unsigned char> buf(m.beamBytes);
  const std::string file = m.base + ".b3d";
  // Untimed warm-up: both sides meet a warm page cache.
  db.InitBeamZs();
  if (!RawReadWrite(file, buf)) state.SkipWithError("raw I/O");
  double ours = 0, raw = 0;
  bool oursFirst = true;
  for (auto _ : state) {
    double mine = 0;
    for (int pass = 0; pass < 2; ++pass) {
      const auto t0 = Clock::now();
      if (oursFirst == (pass == 0)) {
        db.InitBeamZs();
        mine = Seconds(t0, Clock::now());
      } else {
        if (!RawReadWrite(file, buf)) state.SkipWithError("raw I/O");
        raw += Seconds(t0, Clock::now());
      }
    }
    ours += mine;
    state.SetIterationTime(mine);
    oursFirst = !oursFirst;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["x_raw"] = ours / raw;
  state.counters["us_per_beam"] = ours / n / (static_cast<double>(stories) * beams) * 1e6;
  state.counters["MiB"] = static_cast<double>(m.beamBytes) / (1 << 20);
  Measured()[{stories, beams}] = ours / n;
  if (beams == 4000 && Measured().count({stories, 1000}))
    state.counters["x_1000"] = ours / n / Measured()[{stories, 1000}];
}
BENCHMARK(BM_InitBeamZs)
    ->Args({10, 100})
    ->Args({100, 1000})
    ->Args({100, 4000})
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
