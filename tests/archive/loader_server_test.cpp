// The loader server (qeldb-loader) against a client that sends what it likes.
#include <gtest/gtest.h>

#include "platform/child_process.h"
#include "platform/loader_protocol.h"

namespace {

using qel::MessageChannel;
using namespace qel::loader;
using Bytes = std::vector<unsigned char>;

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Start(QELDB_LOADER_PATH, {"--serve-fd", "3"}, channel));
  }
  // Sends one payload and decodes the reply.
  Reply Ask(const Bytes& payload) {
    Reply reply;
    reply.hr = S_OK;
    Bytes in;
    if (channel->Send(payload, 5000) != MessageChannel::Status::kOk ||
        channel->Receive(in, 20000, 5000, kMaxMessageBytes) != MessageChannel::Status::kOk ||
        !DecodeReply(in.data(), in.size(), reply))
      reply.hr = RPC_E_DISCONNECTED;
    return reply;
  }
  Reply Ask(const Request& request) { return Ask(EncodeRequest(request)); }
  // True when the server has closed the connection.
  bool Closed() {
    Bytes in;
    return channel->Receive(in, 20000, 5000, kMaxMessageBytes) == MessageChannel::Status::kClosed;
  }

  qel::ChildProcess server;
  std::unique_ptr<MessageChannel> channel;
};

TEST_F(ServerTest, MalformedRequestsAreAnsweredAndServingGoesOn) {
  Request hello;
  hello.op = Op::kHello;
  hello.version = kProtocolVersion;
  const Reply greeting = Ask(hello);
  ASSERT_EQ(greeting.hr, S_OK);
  EXPECT_EQ(greeting.version, kProtocolVersion);
  EXPECT_NE(greeting.pid, qel::CurrentProcessId());

  const Bytes malformed[] = {
      {}, {0x77}, {2, 0xFF, 0xFF, 0xFF, 0xFF}, {6, 1, 0}, {1, 1, 0, 0, 0, 9}};
  for (const Bytes& payload : malformed) {
    const Reply r = Ask(payload);
    EXPECT_EQ(r.hr, RPC_E_INVALID_DATA) << payload.size();
    if (!payload.empty() && payload[0] >= 1 && payload[0] <= 6) {
      EXPECT_EQ(static_cast<int>(r.op), payload[0]);
    }
  }
  Request release;
  release.op = Op::kRelease;
  release.object = 12345;
  EXPECT_EQ(Ask(release).hr, RPC_E_INVALID_OBJECT);
  Request invoke;
  invoke.op = Op::kInvoke;
  invoke.object = 1;
  EXPECT_EQ(Ask(invoke).hr, RPC_E_INVALID_OBJECT);
  EXPECT_EQ(Ask(hello).hr, S_OK);  // still serving
}

TEST_F(ServerTest, AnAbsurdLengthEndsTheConnection) {
  const unsigned char huge[] = {0xFF, 0xFF, 0xFF, 0xFF};
  ASSERT_EQ(channel->SendRaw(huge, sizeof huge, 1000), MessageChannel::Status::kOk);
  EXPECT_TRUE(Closed());
  EXPECT_EQ(server.Stop(20000), 1);
}

TEST_F(ServerTest, AClientThatGoesMidMessageEndsTheServer) {
  Request create;
  create.op = Op::kCreateInstanceFrom;
  create.texts = {QELDB_COUNTER_COMPONENT, "Counter"};
  ASSERT_EQ(Ask(create).hr, S_OK);  // an object the server must release on its way out
  const unsigned char half[] = {40, 0, 0, 0, 3, 1};
  ASSERT_EQ(channel->SendRaw(half, sizeof half, 1000), MessageChannel::Status::kOk);
  channel->Close();
  EXPECT_EQ(server.Stop(20000), 0);  // ended by itself, having released its object
}

}  // namespace
