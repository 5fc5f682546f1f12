#include "platform/message_channel.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

long long DeadlineAfter(int ms) { return ms < 0 ? -1 : NowMs() + ms; }

// Waits until `fd` is ready for `events` or the deadline passes; false on timeout.
bool WaitFor(int fd, short events, long long deadlineMs, bool& failed) {
  failed = false;
  for (;;) {
    int wait = -1;
    if (deadlineMs >= 0) {
      const long long left = deadlineMs - NowMs();
      if (left <= 0) return false;
      wait = left > 1000000 ? 1000000 : static_cast<int>(left);
    }
    pollfd p{fd, events, 0};
    const int rc = ::poll(&p, 1, wait);
    if (rc > 0) return true;  // readiness or an error/hang-up the next call will report
    if (rc < 0 && errno != EINTR) {
      failed = true;
      return true;
    }
  }
}

}  // namespace

namespace qel {

MessageChannel::MessageChannel(int fd) : fd_(fd) {}

MessageChannel::~MessageChannel() { Close(); }

bool MessageChannel::CreatePair(std::unique_ptr<MessageChannel>& a,
                                std::unique_ptr<MessageChannel>& b) {
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return false;
  a = std::make_unique<MessageChannel>(fds[0]);
  b = std::make_unique<MessageChannel>(fds[1]);
  return true;
}

void MessageChannel::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

MessageChannel::Status MessageChannel::Fail(Status status) {
  Close();
  return status;
}

MessageChannel::Status MessageChannel::WriteAll(const unsigned char* data, std::size_t size,
                                                long long deadlineMs) {
  while (size > 0) {
    bool failed = false;
    if (!WaitFor(fd_, POLLOUT, deadlineMs, failed)) return Fail(Status::kTimeout);
    if (failed) return Fail(Status::kFailed);
    const ssize_t n = ::send(fd_, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
      return Fail(errno == EPIPE || errno == ECONNRESET ? Status::kClosed : Status::kFailed);
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return Status::kOk;
}

MessageChannel::Status MessageChannel::ReadAll(unsigned char* data, std::size_t size,
                                               long long deadlineMs) {
  while (size > 0) {
    bool failed = false;
    if (!WaitFor(fd_, POLLIN, deadlineMs, failed)) return Fail(Status::kTimeout);
    if (failed) return Fail(Status::kFailed);
    const ssize_t n = ::recv(fd_, data, size, MSG_DONTWAIT);
    if (n == 0) return Fail(Status::kClosed);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
      return Fail(errno == ECONNRESET ? Status::kClosed : Status::kFailed);
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return Status::kOk;
}

MessageChannel::Status MessageChannel::Send(const std::vector<unsigned char>& message,
                                            int timeoutMs, std::uint32_t maxBytes) {
  if (fd_ < 0) return Status::kClosed;
  // Refused before anything is written, so the stream stays in step.
  if (message.size() > maxBytes) return Status::kTooLarge;
  const auto length = static_cast<std::uint32_t>(message.size());
  unsigned char prefix[4];
  std::memcpy(prefix, &length, sizeof prefix);
  const long long deadline = DeadlineAfter(timeoutMs);
  const Status s = WriteAll(prefix, sizeof prefix, deadline);
  return s == Status::kOk ? WriteAll(message.data(), message.size(), deadline) : s;
}

MessageChannel::Status MessageChannel::SendRaw(const void* data, std::size_t size, int timeoutMs) {
  if (fd_ < 0) return Status::kClosed;
  return WriteAll(static_cast<const unsigned char*>(data), size, DeadlineAfter(timeoutMs));
}

MessageChannel::Status MessageChannel::Receive(std::vector<unsigned char>& message, int idleMs,
                                               int timeoutMs, std::uint32_t maxBytes) {
  message.clear();
  if (fd_ < 0) return Status::kClosed;
  unsigned char prefix[4];
  // The first byte may take as long as the peer has nothing to say; the rest must follow.
  Status s = ReadAll(prefix, 1, DeadlineAfter(idleMs));
  if (s != Status::kOk) return s;
  const long long deadline = DeadlineAfter(timeoutMs);
  s = ReadAll(prefix + 1, 3, deadline);
  if (s != Status::kOk) return s;
  std::uint32_t length = 0;
  std::memcpy(&length, prefix, sizeof length);
  if (length > maxBytes) return Fail(Status::kTooLarge);
  message.resize(length);
  s = ReadAll(message.data(), length, deadline);
  if (s != Status::kOk) message.clear();
  return s;
}

const char* ChannelStatusText(MessageChannel::Status status) {
  switch (status) {
    case MessageChannel::Status::kOk:
      return "ok";
    case MessageChannel::Status::kClosed:
      return "the peer closed the connection";
    case MessageChannel::Status::kTimeout:
      return "timed out";
    case MessageChannel::Status::kTooLarge:
      return "message too large";
    case MessageChannel::Status::kFailed:
      return "connection failed";
  }
  return "unknown";
}

}  // namespace qel
