#include "platform/loader_protocol.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "platform/local_server.h"
#include "platform/message_channel.h"

namespace {

using qel::MessageChannel;
using namespace qel::loader;
using Bytes = std::vector<unsigned char>;

std::vector<Request> SampleRequests() {
  std::vector<Request> all(6);
  all[0].op = Op::kHello;
  all[0].version = 7;
  all[1].op = Op::kCreateInstance;
  all[1].texts = {"/a/b.so", "Type", "1", "", "\xc3\xa9"};
  all[2].op = Op::kCreateInstanceFrom;
  all[2].texts = {"p", "T"};
  all[3].op = Op::kGetIDOfName;
  all[3].object = 9;
  all[3].texts = {"Add"};
  all[4].op = Op::kInvoke;
  all[4].object = 3;
  all[4].dispid = -2;
  all[4].args.resize(5);
  all[4].args[0].vt = VT_I4, all[4].args[0].i4 = -5;
  all[4].args[1].vt = VT_R8, all[4].args[1].r8 = 2.5;
  all[4].args[2].vt = VT_BSTR, all[4].args[2].text = std::string("x\0y", 3);
  all[4].args[3].vt = VT_BOOL, all[4].args[3].i4 = -1;
  all[4].args[4].vt = VT_NULL;
  all[5].op = Op::kRelease;
  all[5].object = 0xFFFFFFFFu;
  return all;
}

std::vector<Reply> SampleReplies() {
  std::vector<Reply> all(5);
  all[0].op = Op::kHello, all[0].version = 1, all[0].pid = 1234;
  all[1].op = Op::kCreateInstance, all[1].value.vt = VT_UNKNOWN, all[1].value.object = 4,
  all[1].value.dispatch = true;
  all[2].op = Op::kInvoke, all[2].value.vt = VT_ERROR, all[2].value.i4 = E_FAIL;
  all[3].op = Op::kGetIDOfName, all[3].dispid = 12;
  all[4].op = Op::kCreateInstanceFrom, all[4].hr = CLASS_E_CLASSNOTAVAILABLE;
  return all;
}

bool SameValue(const Value& a, const Value& b) {
  return a.vt == b.vt && a.i4 == b.i4 && a.r8 == b.r8 && a.text == b.text && a.object == b.object &&
         a.dispatch == b.dispatch;
}

TEST(LoaderProtocol, MessagesRoundTripAndEveryDamagedFormIsRefused) {
  for (const Request& request : SampleRequests()) {
    const Bytes bytes = EncodeRequest(request);
    Request back;
    ASSERT_TRUE(DecodeRequest(bytes.data(), bytes.size(), back));
    EXPECT_EQ(back.op, request.op);
    EXPECT_EQ(back.version, request.version);
    EXPECT_EQ(back.texts, request.texts);
    EXPECT_EQ(back.object, request.object);
    EXPECT_EQ(back.dispid, request.dispid);
    ASSERT_EQ(back.args.size(), request.args.size());
    for (std::size_t i = 0; i < back.args.size(); ++i)
      EXPECT_TRUE(SameValue(back.args[i], request.args[i])) << i;
    for (std::size_t cut = 0; cut < bytes.size(); ++cut)
      EXPECT_FALSE(DecodeRequest(bytes.data(), cut, back)) << int(request.op) << " cut " << cut;
    Bytes longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(DecodeRequest(longer.data(), longer.size(), back));
  }
  for (const Reply& reply : SampleReplies()) {
    const Bytes bytes = EncodeReply(reply);
    Reply back;
    ASSERT_TRUE(DecodeReply(bytes.data(), bytes.size(), back));
    EXPECT_EQ(back.op, reply.op);
    EXPECT_EQ(back.hr, reply.hr);
    EXPECT_EQ(back.pid, reply.pid);
    EXPECT_EQ(back.dispid, reply.dispid);
    EXPECT_TRUE(SameValue(back.value, reply.value));
    for (std::size_t cut = 0; cut < bytes.size(); ++cut)
      EXPECT_FALSE(DecodeReply(bytes.data(), cut, back));
  }
}

TEST(LoaderProtocol, LayoutAndLimits) {
  // kCreateInstanceFrom "a", "T": op, then each text as a 32-bit length and its bytes.
  Request r;
  r.op = Op::kCreateInstanceFrom;
  r.texts = {"a", "T"};
  EXPECT_EQ(EncodeRequest(r), (Bytes{3, 1, 0, 0, 0, 'a', 1, 0, 0, 0, 'T'}));
  Request back;
  const Bytes huge = {3, 0xFF, 0xFF, 0xFF, 0xFF, 'a'};
  EXPECT_FALSE(DecodeRequest(huge.data(), huge.size(), back));
  const Bytes unknownOp = {9, 0, 0, 0, 0};
  EXPECT_FALSE(DecodeRequest(unknownOp.data(), unknownOp.size(), back));
  EXPECT_FALSE(DecodeRequest(nullptr, 0, back));
  // Invoke: object 1, dispid 1, then a count over the limit / an object argument / a bad type.
  Bytes invoke = {5, 1, 0, 0, 0, 1, 0, 0, 0, 17};
  EXPECT_FALSE(DecodeRequest(invoke.data(), invoke.size(), back));
  invoke.back() = 1;
  Bytes object = invoke;
  object.insert(object.end(), {VT_UNKNOWN, 0, 1, 0, 0, 0, 0});
  EXPECT_FALSE(DecodeRequest(object.data(), object.size(), back));
  Bytes badType = invoke;
  badType.insert(badType.end(), {0x0C, 0});  // VT_VARIANT
  EXPECT_FALSE(DecodeRequest(badType.data(), badType.size(), back));
  // A failed reply carries nothing after its code.
  const Bytes failedWithBody = {2, 0x05, 0x40, 0x00, 0x80, 0, 0};
  Reply reply;
  EXPECT_FALSE(DecodeReply(failedWithBody.data(), failedWithBody.size(), reply));
}

TEST(MessageChannel, RefusesOversizeTruncatedAndSilentPeers) {
  std::unique_ptr<MessageChannel> a, b;
  ASSERT_TRUE(MessageChannel::CreatePair(a, b));
  Bytes in;
  ASSERT_EQ(a->Send({1, 2, 3}, 1000), MessageChannel::Status::kOk);
  ASSERT_EQ(b->Receive(in, 1000, 1000, 16), MessageChannel::Status::kOk);
  EXPECT_EQ(in, (Bytes{1, 2, 3}));
  EXPECT_EQ(a->Send(Bytes(17), 1000, 16), MessageChannel::Status::kTooLarge);
  EXPECT_TRUE(a->IsOpen());
  // Nothing arrives: the idle wait ends.
  EXPECT_EQ(b->Receive(in, 50, 50, 16), MessageChannel::Status::kTimeout);
  EXPECT_FALSE(b->IsOpen());
  EXPECT_EQ(b->Receive(in, 50, 50, 16), MessageChannel::Status::kClosed);

  // Half a message, then the peer goes; writing to a peer that has gone raises no signal.
  ASSERT_TRUE(MessageChannel::CreatePair(a, b));
  const unsigned char half[] = {10, 0, 0, 0, 1, 2};
  ASSERT_EQ(a->SendRaw(half, sizeof half, 1000), MessageChannel::Status::kOk);
  a->Close();
  EXPECT_EQ(b->Receive(in, 1000, 1000, 64), MessageChannel::Status::kClosed);
  ASSERT_TRUE(MessageChannel::CreatePair(a, b));
  b.reset();
  EXPECT_EQ(a->Send(Bytes(100000), 1000), MessageChannel::Status::kClosed);
}

// A server played by a thread: answers the handshake, then each request with `answer`.
class FakeServer {
 public:
  using Answer = std::function<void(MessageChannel&, const Request&)>;
  explicit FakeServer(Answer answer) {
    std::unique_ptr<MessageChannel> server;
    MessageChannel::CreatePair(client_, server);
    thread_ = std::thread([server = std::move(server), answer]() mutable {
      Bytes in;
      while (server->Receive(in, 5000, 5000, kMaxMessageBytes) == MessageChannel::Status::kOk) {
        Request request;
        if (!DecodeRequest(in.data(), in.size(), request)) return;
        if (request.op == Op::kHello) {
          Reply hello;
          hello.version = kProtocolVersion;
          server->Send(EncodeReply(hello), 1000);
        } else {
          answer(*server, request);
        }
      }
    });
  }
  ~FakeServer() { thread_.join(); }
  std::unique_ptr<MessageChannel> client_;

 private:
  std::thread thread_;
};

HRESULT CreateThrough(FakeServer& server, VARIANT* result, HRESULT* second) {
  IOruComLoader* loader = nullptr;
  HRESULT hr = qel::ConnectLoader(std::move(server.client_), &loader);
  if (FAILED(hr)) return hr;
  const qel::Bstr path(L"/x.so"), type(L"T");
  hr = loader->CreateInstanceFrom(path, type, result);
  *second = loader->CreateInstanceFrom(path, type, result);
  loader->Release();
  return hr;
}

TEST(LoaderProxy, HostileOrSilentServersGiveFailedResults) {
  qel::SetLoaderTimeouts(2000, 300);
  const int before = qel::LiveLoaderServers();
  VARIANT result;
  HRESULT second = S_OK;
  struct Case {
    const char* what;
    FakeServer::Answer answer;
    HRESULT expected;
  } cases[] = {
      {"a reply to another request",
       [](MessageChannel& c, const Request&) {
         Reply r;
         r.op = Op::kRelease;
         c.Send(EncodeReply(r), 1000);
       },
       RPC_E_INVALID_DATA},
      {"a reply that does not decode",
       [](MessageChannel& c, const Request&) {
         c.Send({3, 0, 0, 0, 0, 0xEE, 0xEE}, 1000);
       },
       RPC_E_INVALID_DATA},
      {"an absurd length",
       [](MessageChannel& c, const Request&) {
         const unsigned char huge[] = {0xFF, 0xFF, 0xFF, 0x7F};
         c.SendRaw(huge, 4, 1000);
       },
       RPC_E_INVALID_DATA},
      {"half a reply",
       [](MessageChannel& c, const Request&) { c.SendRaw("\x20\0\0\0ab", 6, 1000); },
       RPC_E_TIMEOUT},
      {"no reply", [](MessageChannel&, const Request&) {}, RPC_E_TIMEOUT},
      {"a server that goes", [](MessageChannel& c, const Request&) { c.Close(); },
       RPC_E_DISCONNECTED},
  };
  for (auto& c : cases) {
    FakeServer server(c.answer);
    EXPECT_EQ(CreateThrough(server, &result, &second), c.expected) << c.what;
    EXPECT_EQ(second, RPC_E_DISCONNECTED) << c.what;
    EXPECT_EQ(result.vt, VT_EMPTY) << c.what;
  }
  // A result that is not an object comes back as it is; the loader client refuses it.
  FakeServer number([](MessageChannel& c, const Request& request) {
    Reply r;
    r.op = request.op;
    r.value.vt = VT_I4;
    r.value.i4 = 42;
    c.Send(EncodeReply(r), 1000);
  });
  EXPECT_EQ(CreateThrough(number, &result, &second), S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 42);
  // A server that does not speak the protocol at all fails the handshake.
  std::unique_ptr<MessageChannel> client, server;
  ASSERT_TRUE(MessageChannel::CreatePair(client, server));
  ASSERT_EQ(server->Send({0xAB}, 1000), MessageChannel::Status::kOk);
  IOruComLoader* loader = nullptr;
  EXPECT_EQ(qel::ConnectLoader(std::move(client), &loader), CO_E_SERVER_EXEC_FAILURE);
  EXPECT_EQ(loader, nullptr);
  EXPECT_EQ(qel::LiveLoaderServers(), before);
  qel::SetLoaderTimeouts(10000, 60000);
}

}  // namespace
