// The master data file beside its floors, each ratio measured in one loop with processor time so
// the neighbours on a shared machine weigh on both sides alike:
//   read_ratio   = CDBIO::ReadMdf (open, read, parse, defaults, fields)
//                  / (read the same file + a bare pugixml parse of its bytes);
//   write_ratio  = CDBIO::WriteMdf into a file opened for it (no fsync)
//                  / (the same bytes, prepared beforehand, written with open + write + close);
//   text_share   = generating the document alone / that WriteMdf (what dominates the rest);
//   defaults_share = the new-model defaults each read starts from / ReadMdf.
// Defaults come from a settings file that holds every key they read. The safe save (temporary
// file, fsync, rename) is timed on its own: its cost is the disk's.
#include "mdf/master_data_file.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
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
  std::string base, file, scratch;
  std::unique_ptr<SMDF> mdf = std::make_unique<SMDF>();
  std::string document;
  double fileBytes = 0;

  Fixture() {
    dir = std::filesystem::temp_directory_path() /
          ("qeldb_bench_mdf_" +
           std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(dir);
    qelbench::WriteFullSettingsFile(dir / "quvol.ini");
    // An old time stamp: the settings cache then trusts (size, mtime) without re-reading.
    std::filesystem::last_write_time(
        dir / "quvol.ini", std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    setenv("DEVINI", (dir.string() + "/").c_str(), 1);
    qel::ResetSettingsState();

    // The model: a new model's record, saved once.
    base = (dir / "model").string();
    file = base + ".qel";
    scratch = (dir / "scratch.qel").string();
    CQelMDF(0, mdf.get()).FileNewInit(0, "bench");
    CDBIO db(base.c_str(), mdf.get());
    db.WriteMdf(mdf.get());
    document = qel::MdfDocument(*mdf);
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

bool WriteMdfNoSync(const Fixture& f) {
  CFile file(f.scratch.c_str(), CFile::modeCreate | CFile::modeWrite);
  CDBIO db(f.base.c_str(), f.mdf.get());
  return db.WriteMdf(f.mdf.get(), file);
}

// The floor of a write: the prepared bytes, one open, write and close.
bool PlainWrite(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return ::close(fd) == 0 && done == bytes.size();
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

void BM_WriteMdfNoSync(benchmark::State& state) {
  const Fixture& f = Fix();
  for (auto _ : state)
    if (!WriteMdfNoSync(f)) state.SkipWithError("WriteMdf failed");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.fileBytes));
}
BENCHMARK(BM_WriteMdfNoSync);

void BM_WriteMdfSafeSave(benchmark::State& state) {
  Fixture& f = Fix();
  CDBIO db(f.base.c_str(), f.mdf.get());
  for (auto _ : state)
    if (!db.WriteMdf(f.mdf.get())) state.SkipWithError("WriteMdf failed");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.fileBytes));
}
BENCHMARK(BM_WriteMdfSafeSave)->Iterations(50);

void BM_Ratios(benchmark::State& state) {
  const Fixture& f = Fix();
  SMDF out{};
  std::clock_t readFloor = 0, read = 0, writeFloor = 0, write = 0, text = 0, defaults = 0;
  auto timed = [](std::clock_t& sum, auto&& work) {
    const std::clock_t t0 = std::clock();
    for (int i = 0; i < 8; ++i) work();
    sum += std::clock() - t0;
  };
  for (auto _ : state) {
    timed(readFloor, [&] { benchmark::DoNotOptimize(ReadAndBareParse(f.file)); });
    timed(read, [&] { benchmark::DoNotOptimize(ReadMdf(f, out)); });
    timed(writeFloor, [&] { benchmark::DoNotOptimize(PlainWrite(f.scratch, f.document)); });
    timed(write, [&] { benchmark::DoNotOptimize(WriteMdfNoSync(f)); });
    timed(text, [&] { benchmark::DoNotOptimize(qel::MdfDocument(*f.mdf).size()); });
    timed(defaults, [&] {
      qel::FillNewModelDefaults(out, 0);
      benchmark::DoNotOptimize(&out);
    });
  }
  const auto ratio = [](std::clock_t a, std::clock_t b) {
    return b > 0 ? static_cast<double>(a) / static_cast<double>(b) : 0.0;
  };
  state.counters["read_ratio"] = ratio(read, readFloor);
  state.counters["write_ratio"] = ratio(write, writeFloor);
  state.counters["text_share"] = ratio(text, write);
  state.counters["defaults_share"] = ratio(defaults, read);
}
BENCHMARK(BM_Ratios);

}  // namespace
