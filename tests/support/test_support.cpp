#include "test_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace qeltest {

TempDir::TempDir() {
  std::random_device rd;
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto p = std::filesystem::temp_directory_path() / ("qeldb-test-" + std::to_string(rd()));
    if (std::filesystem::create_directory(p)) {
      path_ = p;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::File(const std::string& name) const { return (path_ / name).string(); }

MessageCapture::MessageCapture() {
  previous_ = qel::SetMessageSink([this](const char* text, const char* caption, UINT style) {
    boxes_.push_back({text, caption, style});
    return IDOK;
  });
}

MessageCapture::~MessageCapture() { qel::SetMessageSink(previous_); }

ProcessResult RunProcess(const std::vector<std::string>& argv) {
  ProcessResult result;
  if (argv.empty()) return result;
  // Output goes to files rather than pipes, so a chatty program can never block on a full pipe.
  TempDir scratch;
  const std::string outPath = scratch.File("stdout"), errPath = scratch.File("stderr");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return result;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  result.out = ReadText(outPath);
  result.err = ReadText(errPath);
  return result;
}

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string candidate = dirs.substr(start, end - start) + "/" + name;
    if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "";
}

std::vector<std::string> WithoutFileOverride(std::vector<std::string> argv) {
  if (::geteuid() != 0) return argv;
  static const char* const kSetpriv = "/usr/bin/setpriv";
  if (::access(kSetpriv, X_OK) != 0) return {};
  const char* drop = "-dac_override,-dac_read_search";
  argv.insert(argv.begin(), {kSetpriv, std::string("--inh-caps=") + drop,
                             std::string("--bounding-set=") + drop, "--"});
  return argv;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
  const char* old = std::getenv(name);
  had_ = old != nullptr;
  if (had_) old_ = old;
  if (value)
    ::setenv(name, value, 1);
  else
    ::unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
  if (had_)
    ::setenv(name_.c_str(), old_.c_str(), 1);
  else
    ::unsetenv(name_.c_str());
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!f) throw std::runtime_error("cannot write " + path);
}

void WriteText(const std::string& path, const std::string& text) {
  WriteBytes(path, std::vector<unsigned char>(text.begin(), text.end()));
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(f), {});
}

std::string ReadText(const std::string& path) {
  auto b = ReadBytes(path);
  return std::string(b.begin(), b.end());
}

void PutU16(std::vector<unsigned char>& b, std::size_t off, unsigned v) {
  b.at(off) = v & 0xFF;
  b.at(off + 1) = (v >> 8) & 0xFF;
}

void PutU32(std::vector<unsigned char>& b, std::size_t off, unsigned long v) {
  for (int i = 0; i < 4; ++i) b.at(off + i) = (v >> (8 * i)) & 0xFF;
}

void PutI32(std::vector<unsigned char>& b, std::size_t off, long v) {
  PutU32(b, off, static_cast<unsigned long>(v) & 0xFFFFFFFFul);
}

void PutF32(std::vector<unsigned char>& b, std::size_t off, float v) {
  unsigned int u;
  std::memcpy(&u, &v, 4);
  PutU32(b, off, u);
}

void PutF64(std::vector<unsigned char>& b, std::size_t off, double v) {
  unsigned long long u;
  std::memcpy(&u, &v, 8);
  for (int i = 0; i < 8; ++i) b.at(off + i) = (u >> (8 * i)) & 0xFF;
}

}  // namespace qeltest
