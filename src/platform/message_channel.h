// Length-prefixed messages over a connected Unix-domain stream socket, with deadlines.
//
// Contract: a message goes out as its 32-bit little-endian length and its bytes. Receiving waits
// at most `idleMs` for a message to begin (-1: as long as it takes) and then at most `timeoutMs`
// for all of it; a declared length over the caller's limit is refused before anything is
// allocated. Any other failure leaves the stream out of step, so the channel closes itself and
// every later call reports kClosed (only a message Send refuses for its size leaves it open).
// Writing to a peer that has gone is kClosed, never a signal. One thread at a time per channel.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class MessageChannel {
 public:
  enum class Status { kOk, kClosed, kTimeout, kTooLarge, kFailed };

  // Takes ownership of the connected socket `fd`.
  explicit MessageChannel(int fd);
  ~MessageChannel();
  MessageChannel(const MessageChannel&) = delete;
  MessageChannel& operator=(const MessageChannel&) = delete;

  // Two connected ends (close-on-exec), or false.
  static bool CreatePair(std::unique_ptr<MessageChannel>& a, std::unique_ptr<MessageChannel>& b);

  Status Send(const std::vector<unsigned char>& message, int timeoutMs,
              std::uint32_t maxBytes = UINT32_MAX);
  Status Receive(std::vector<unsigned char>& message, int idleMs, int timeoutMs,
                 std::uint32_t maxBytes);
  // Bytes as they are, without a length: for testing a peer against malformed input.
  Status SendRaw(const void* data, std::size_t size, int timeoutMs);

  bool IsOpen() const { return fd_ >= 0; }
  void Close();
  // The socket, for handing to a child process (still owned by the channel).
  int fd() const { return fd_; }

 private:
  Status Fail(Status status);
  Status WriteAll(const unsigned char* data, std::size_t size, long long deadlineMs);
  Status ReadAll(unsigned char* data, std::size_t size, long long deadlineMs);

  int fd_;
};

const char* ChannelStatusText(MessageChannel::Status status);

}  // namespace qel
