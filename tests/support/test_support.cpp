#include "test_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "mdf/file_security.h"
#include "mdf/settings.h"
#include "platform/cfile.h"
#include "platform/paths.h"

namespace qeltest {

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
  if (const char* old = std::getenv(name)) {
    had_ = true;
    old_ = old;
  }
  if (value)
    setenv(name, value, 1);
  else
    unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
  if (had_)
    setenv(name_.c_str(), old_.c_str(), 1);
  else
    unsetenv(name_.c_str());
}

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

SettingsFolders::SettingsFolders()
    : devini_("DEVINI", ((root_.path() / "devini").string() + "/").c_str()) {
  std::filesystem::create_directories(root_.path() / "devini");
  std::filesystem::create_directories(windows());
  std::filesystem::create_directories(common());
  qel::SetWindowsFolder(windows().string());
  qel::SetCommonAppDataFolder(common().string());
  qel::ResetSettingsState();
  qel::ResetFileSecurityMode();
}

SettingsFolders::~SettingsFolders() {
  qel::SetWindowsFolder(std::nullopt);
  qel::SetCommonAppDataFolder(std::nullopt);
  qel::ResetSettingsState();
  qel::ResetFileSecurityMode();
}

std::string SettingsFolders::Write(const std::string& text, int hoursOld) {
  const std::string path = IniPath();
  WriteText(path, text);
  if (hoursOld != 0)
    std::filesystem::last_write_time(
        path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(hoursOld));
  qel::ResetSettingsState();
  qel::ResetFileSecurityMode();
  return path;
}

std::string SettingsFolders::Folder(const std::string& name) const {
  std::filesystem::create_directories(root_.path() / name);
  return root_.File(name);
}

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

namespace {

int WaitFor(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int RunInChild(const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) _exit(body());
  return WaitFor(pid);
}

FileHeldByChild::FileHeldByChild(const std::string& path, unsigned flags) {
  int toChild[2], fromChild[2];
  if (pipe(toChild) != 0) return;
  if (pipe(fromChild) != 0) {
    close(toChild[0]);
    close(toChild[1]);
    return;
  }
  pid_ = fork();
  if (pid_ == 0) {
    CFile file;
    char c = file.Open(path.c_str(), flags) ? 'L' : 'E';
    (void)!write(fromChild[1], &c, 1);
    (void)!read(toChild[0], &c, 1);  // until told to let go
    file.Close();
    _exit(0);
  }
  close(toChild[0]);
  close(fromChild[1]);
  toChild_ = toChild[1];
  fromChild_ = fromChild[0];
  char c = 0;
  holding_ = pid_ > 0 && read(fromChild_, &c, 1) == 1 && c == 'L';
}

bool FileHeldByChild::Release() {
  if (pid_ <= 0) return false;
  const char c = 'G';
  (void)!write(toChild_, &c, 1);
  const int code = WaitFor(pid_);
  pid_ = -1;
  close(toChild_);
  close(fromChild_);
  holding_ = false;
  return code == 0;
}

FileHeldByChild::~FileHeldByChild() { Release(); }

std::vector<std::string> WithoutFileOverride(std::vector<std::string> argv) {
  if (::geteuid() != 0) return argv;
  static const char* const kSetpriv = "/usr/bin/setpriv";
  if (::access(kSetpriv, X_OK) != 0) return {};
  const char* drop = "-dac_override,-dac_read_search";
  argv.insert(argv.begin(), {kSetpriv, std::string("--inh-caps=") + drop,
                             std::string("--bounding-set=") + drop, "--"});
  return argv;
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

std::string Hex(const void* bytes, std::size_t count) {
  static const char* digits = "0123456789ABCDEF";
  const auto* p = static_cast<const unsigned char*>(bytes);
  std::string s;
  for (std::size_t i = 0; i < count; ++i) {
    s += digits[p[i] >> 4];
    s += digits[p[i] & 15];
  }
  return s;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace qeltest
