// Server processes of this library: a child process that serves one message channel.
//
// Contract: Start runs `exe` with the far end of a new socket pair as its descriptor 3
// (kChildChannelFd), standard input and output on /dev/null and standard error shared with this
// process; nothing else of ours is inherited (our descriptors are close-on-exec). The child is
// expected to end when its channel closes. Stop waits for it to end, killing it when it has not
// within the grace time, and reaps it, so no zombie is left behind; it tells the exit status
// of a child that ended by itself.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/message_channel.h"

namespace qel {

inline constexpr int kChildChannelFd = 3;

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess() { Stop(2000); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // False (and no process) when it cannot be started.
  bool Start(const std::string& exe, const std::vector<std::string>& args,
             std::unique_ptr<MessageChannel>& channel);
  // The exit status when the process ended by itself within `graceMs`; -1 when it had to be
  // killed, died of a signal or was not running.
  int Stop(int graceMs);
  // Ends the process at once (it is still reaped by Stop).
  void Kill();
  bool Running() const { return pid_ > 0; }
  int pid() const { return pid_; }

 private:
  int pid_ = -1;
};

// True when `path` is a regular file this process may execute.
bool IsExecutableFile(const std::string& path);
std::uint32_t CurrentProcessId();

}  // namespace qel
