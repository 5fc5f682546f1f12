#include "platform/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace qel {

bool ChildProcess::Start(const std::string& exe, const std::vector<std::string>& args,
                         std::unique_ptr<MessageChannel>& channel) {
  Stop(0);
  std::unique_ptr<MessageChannel> ours, theirs;
  if (!MessageChannel::CreatePair(ours, theirs)) return false;
  // Moved above the standard descriptors and 3 itself: dup2 onto the same number would leave
  // the descriptor close-on-exec.
  const int far = ::fcntl(theirs->fd(), F_DUPFD_CLOEXEC, kChildChannelFd + 1);
  if (far < 0) return false;
  MessageChannel farEnd(far);
  theirs.reset();

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return false;
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, far, kChildChannelFd);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(exe.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  pid_ = pid;
  channel = std::move(ours);
  return true;
}

void ChildProcess::Kill() {
  if (pid_ > 0) ::kill(pid_, SIGKILL);
}

int ChildProcess::Stop(int graceMs) {
  if (pid_ <= 0) return -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
  int result = -1;
  for (;;) {
    int status = 0;
    const pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      if (WIFEXITED(status)) result = WEXITSTATUS(status);
      break;
    }
    if (r < 0 && errno != EINTR) break;
    if (r == 0 && std::chrono::steady_clock::now() >= deadline) {
      Kill();
      while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
      }
      break;
    }
    if (r == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  pid_ = -1;
  return result;
}

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

std::uint32_t CurrentProcessId() { return static_cast<std::uint32_t>(::getpid()); }

}  // namespace qel
