// Record file throughput: CDBIO's primitives beside raw POSIX I/O of the same bytes, measured in
// the same iterations (alternating which goes first) so both see the same page cache and disk.
// Counters: ours_MiBps / raw_MiBps (or per-call times) and ratio = raw time / our time, so 1.0
// means no overhead over the floor. Goal: whole-table ReadDB ratio >= 0.9.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "dbio/dbio.h"

namespace {

constexpr int kRecordSize = 1312;  // a current beam record
constexpr long kRecords = (256L << 20) / kRecordSize;
constexpr std::size_t kBytes = static_cast<std::size_t>(kRecords) * kRecordSize;
constexpr long kSingleRecords = 4096;  // record-at-a-time reads cover the first 5 MiB

class BenchDB : public CDBIO {
 public:
  using CDBIO::CDBIO;
  using CDBIO::ReadDB;
  using CDBIO::WriteDB;
};

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

struct Model {
  std::filesystem::path dir;
  std::string base, file;
  std::vector<unsigned char> data;
  Model() {
    dir = std::filesystem::temp_directory_path() / ("qeldb-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    base = (dir / "model").string();
    file = base + ".b3d";
    data.resize(kBytes);
    for (std::size_t i = 0; i < kBytes; ++i) data[i] = static_cast<unsigned char>(i * 131 + 7);
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::size_t done = 0;
    while (fd >= 0 && done < kBytes) {
      ssize_t n = ::write(fd, data.data() + done, kBytes - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    if (fd >= 0) ::close(fd);
    if (done != kBytes) std::fprintf(stderr, "cannot write the benchmark table\n");
  }
  ~Model() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

Model& TheModel() {
  static Model m;
  return m;
}

bool RawRead(const std::string& path, unsigned char* out, std::size_t bytes) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < bytes) {
    ssize_t n = ::read(fd, out + done, bytes - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return done == bytes;
}

bool RawWrite(const std::string& path, const unsigned char* in, std::size_t bytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < bytes) {
    ssize_t n = ::write(fd, in + done, bytes - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return done == bytes;
}

void Report(benchmark::State& state, double ours, double raw, double bytesPerIteration) {
  const double n = static_cast<double>(state.iterations());
  if (bytesPerIteration > 0) {
    state.counters["ours_MiBps"] = bytesPerIteration * n / ours / (1 << 20);
    state.counters["raw_MiBps"] = bytesPerIteration * n / raw / (1 << 20);
  }
  state.counters["ratio"] = raw / ours;
}

// Times `ours` and `raw` once each per iteration, alternating which goes first so neither side
// always meets a cold or a warm cache, and reports the ratio. The iteration time is ours.
template <class Ours, class Raw>
void RunAlternating(benchmark::State& state, double bytesPerIteration, Ours ours, Raw raw) {
  double oursTotal = 0, rawTotal = 0;
  bool oursFirst = true;
  for (auto _ : state) {
    double mine = 0;
    for (int pass = 0; pass < 2; ++pass) {
      auto t0 = Clock::now();
      if (oursFirst == (pass == 0)) {
        if (!ours()) state.SkipWithError("ours failed");
        mine = Seconds(t0, Clock::now());
      } else {
        if (!raw()) state.SkipWithError("raw failed");
        rawTotal += Seconds(t0, Clock::now());
      }
    }
    oursTotal += mine;
    state.SetIterationTime(mine);
    oursFirst = !oursFirst;
  }
  Report(state, oursTotal, rawTotal, bytesPerIteration);
}

// One iteration = 256 MiB read by ReadDB and by open/read/close.
void BM_WholeTableRead(benchmark::State& state) {
  Model& m = TheModel();
  BenchDB db(CString(m.base), nullptr);
  std::vector<unsigned char> buf(kBytes);
  // Untimed warm-up: the first pass after the table was written pays for page faults in `buf`
  // and for write-back of the freshly written file, which belongs to neither side.
  if (!RawRead(m.file, buf.data(), kBytes) ||
      !db.ReadDB("b3d", buf.data(), kRecordSize, 0, kRecords))
    state.SkipWithError("warm-up read");
  RunAlternating(
      state, static_cast<double>(kBytes),
      [&] { return db.ReadDB("b3d", buf.data(), kRecordSize, 0, kRecords) == 1; },
      [&] {
        const bool ok = RawRead(m.file, buf.data(), kBytes);
        benchmark::DoNotOptimize(buf.data());
        return ok;
      });
}
BENCHMARK(BM_WholeTableRead)->Iterations(16)->UseManualTime()->Unit(benchmark::kMillisecond);

// One iteration = 256 MiB written by WriteDB (truncating) and by open(O_TRUNC)/write/close.
void BM_WholeTableWrite(benchmark::State& state) {
  Model& m = TheModel();
  const std::string base = m.base + "-w";
  BenchDB db(CString(base), nullptr);
  if (!RawWrite(base + ".raw", m.data.data(), kBytes) ||
      !db.WriteDB("b3d", m.data.data(), kRecordSize, 0, kRecords, 1))
    state.SkipWithError("warm-up write");
  RunAlternating(
      state, static_cast<double>(kBytes),
      [&] { return db.WriteDB("b3d", m.data.data(), kRecordSize, 0, kRecords, 1) == 1; },
      [&] { return RawWrite(base + ".raw", m.data.data(), kBytes); });
}
BENCHMARK(BM_WholeTableWrite)->Iterations(6)->UseManualTime()->Unit(benchmark::kMillisecond);

// One iteration = the first kSingleRecords records, one ReadDB call each. Each call opens, locks,
// reads and closes the file, as the interface requires, so it is set beside two floors: raw
// open/pread/close per record (ratio) and pread on one descriptor kept open (ratio_vs_open_fd).
void BM_RecordAtATime(benchmark::State& state) {
  Model& m = TheModel();
  BenchDB db(CString(m.base), nullptr);
  std::vector<unsigned char> rec(kRecordSize);
  double ours = 0, raw = 0, rawOpen = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    for (long i = 0; i < kSingleRecords; ++i)
      if (!db.ReadDB("b3d", rec.data(), kRecordSize, i, 1)) state.SkipWithError("ReadDB");
    auto t1 = Clock::now();
    for (long i = 0; i < kSingleRecords; ++i) {
      int fd = ::open(m.file.c_str(), O_RDONLY | O_CLOEXEC);
      if (fd < 0 || ::pread(fd, rec.data(), kRecordSize, i * kRecordSize) != kRecordSize)
        state.SkipWithError("raw pread");
      if (fd >= 0) ::close(fd);
    }
    auto t2 = Clock::now();
    int fd = ::open(m.file.c_str(), O_RDONLY | O_CLOEXEC);
    for (long i = 0; i < kSingleRecords; ++i)
      if (::pread(fd, rec.data(), kRecordSize, i * kRecordSize) != kRecordSize)
        state.SkipWithError("raw pread");
    ::close(fd);
    auto t3 = Clock::now();
    ours += Seconds(t0, t1);
    raw += Seconds(t1, t2);
    rawOpen += Seconds(t2, t3);
    benchmark::DoNotOptimize(rec.data());
    state.SetIterationTime(Seconds(t0, t1));
  }
  Report(state, ours, raw, static_cast<double>(kSingleRecords) * kRecordSize);
  state.counters["ratio_vs_open_fd"] = rawOpen / ours;
  state.counters["us_per_record"] = ours / state.iterations() / kSingleRecords * 1e6;
}
BENCHMARK(BM_RecordAtATime)->UseManualTime()->Unit(benchmark::kMillisecond);

// One iteration = 1000 GetRecordCount calls beside 1000 raw stat + open + fstat + close.
void BM_GetRecordCount(benchmark::State& state) {
  Model& m = TheModel();
  BenchDB db(CString(m.base), nullptr);
  double ours = 0, raw = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    for (int i = 0; i < 1000; ++i)
      if (db.GetRecordCount("b3d", kRecordSize) != kRecords) state.SkipWithError("count");
    auto t1 = Clock::now();
    for (int i = 0; i < 1000; ++i) {
      struct stat st {};
      if (::stat(m.file.c_str(), &st) != 0) state.SkipWithError("stat");
      int fd = ::open(m.file.c_str(), O_RDONLY | O_CLOEXEC);
      if (fd < 0 || ::fstat(fd, &st) != 0 || st.st_size / kRecordSize != kRecords)
        state.SkipWithError("raw count");
      if (fd >= 0) ::close(fd);
    }
    auto t2 = Clock::now();
    ours += Seconds(t0, t1);
    raw += Seconds(t1, t2);
    state.SetIterationTime(Seconds(t0, t1));
  }
  Report(state, ours, raw, 0);
  state.counters["us_per_call"] = ours / state.iterations() / 1000 * 1e6;
}
BENCHMARK(BM_GetRecordCount)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
