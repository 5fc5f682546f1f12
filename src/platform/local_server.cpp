#include "platform/local_server.h"

#include <atomic>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

#include "platform/child_process.h"
#include "platform/environment.h"
#include "platform/loader_protocol.h"
#include "platform/module.h"
#include "platform/paths.h"

namespace {

using qel::MessageChannel;
namespace loader = qel::loader;

std::atomic<int> g_startTimeoutMs{10000};
std::atomic<int> g_callTimeoutMs{60000};

std::mutex g_pathLock;
std::optional<std::string> g_serverPath;

class Connection;

// Every open connection. Never destroyed, so a connection whose proxies were abandoned without
// Release (as callers do once COM is torn down) stays accounted for until the process ends.
std::mutex g_registryLock;
std::set<Connection*>& Registry() {
  static auto* registry = new std::set<Connection*>;
  return *registry;
}

HRESULT FromStatus(MessageChannel::Status s) {
  switch (s) {
    case MessageChannel::Status::kOk:
      return S_OK;
    case MessageChannel::Status::kTimeout:
      return RPC_E_TIMEOUT;
    case MessageChannel::Status::kTooLarge:
      return RPC_E_INVALID_DATA;
    case MessageChannel::Status::kClosed:
    case MessageChannel::Status::kFailed:
      break;
  }
  return RPC_E_DISCONNECTED;
}

// One server: its channel, its process (none when the caller brought the channel) and the loader
// proxy, which is part of the connection. The connection lives while the loader proxy or any
// object proxy holds it.
class Connection {
 public:
  static Connection* Open(std::unique_ptr<MessageChannel> channel,
                          std::unique_ptr<qel::ChildProcess> child) {
    auto* c = new Connection(std::move(channel), std::move(child));
    std::lock_guard<std::mutex> lock(g_registryLock);
    Registry().insert(c);
    return c;
  }

  void Hold() { ++holds_; }
  void Drop() {
    if (--holds_ > 0) return;
    {
      std::lock_guard<std::mutex> lock(g_registryLock);
      Registry().erase(this);
    }
    delete this;
  }

  IOruComLoader* loader() { return &loader_; }

  // One request, one reply. The reply's HRESULT, or the connection's failure.
  HRESULT Call(const loader::Request& request, loader::Reply& reply, int timeoutMs) {
    std::lock_guard<std::mutex> lock(lock_);
    if (!channel_->IsOpen()) return RPC_E_DISCONNECTED;
    const auto message = loader::EncodeRequest(request);
    if (message.size() > loader::kMaxMessageBytes) return E_INVALIDARG;
    auto s = channel_->Send(message, timeoutMs, loader::kMaxMessageBytes);
    if (s != MessageChannel::Status::kOk) return Break(FromStatus(s));
    std::vector<unsigned char> in;
    s = channel_->Receive(in, timeoutMs, timeoutMs, loader::kMaxMessageBytes);
    if (s != MessageChannel::Status::kOk) return Break(FromStatus(s));
    if (!loader::DecodeReply(in.data(), in.size(), reply) || reply.op != request.op)
      return Break(RPC_E_INVALID_DATA);
    return reply.hr;
  }

  // The handshake: the server must speak our protocol version, within the start timeout.
  HRESULT Greet() {
    loader::Request hello;
    hello.op = loader::Op::kHello;
    hello.version = loader::kProtocolVersion;
    loader::Reply reply;
    const HRESULT hr = Call(hello, reply, g_startTimeoutMs);
    if (FAILED(hr) || reply.version != loader::kProtocolVersion) {
      Break(CO_E_SERVER_EXEC_FAILURE);
      return CO_E_SERVER_EXEC_FAILURE;
    }
    return S_OK;
  }

 private:
  class LoaderProxy final : public IOruComLoader {
   public:
    explicit LoaderProxy(Connection* c) : c_(c) {}
    HRESULT QueryInterface(REFIID iid, void** object) override {
      if (!object) return E_POINTER;
      *object = nullptr;
      if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_IOruComLoader)
        return E_NOINTERFACE;
      AddRef();
      *object = static_cast<IOruComLoader*>(this);
      return S_OK;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
      const ULONG left = --refs_;
      if (left == 0) c_->Drop();
      return left;
    }
    HRESULT GetIDOfName(const OLECHAR*, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, const VARIANT*, UINT, VARIANT*) override { return E_NOTIMPL; }
    HRESULT CreateInstance(BSTR a1, BSTR a2, BSTR a3, BSTR a4, BSTR a5, VARIANT* result) override {
      return c_->Create(loader::Op::kCreateInstance, {a1, a2, a3, a4, a5}, result);
    }
    HRESULT CreateInstanceFrom(BSTR path, BSTR typeName, VARIANT* result) override {
      return c_->Create(loader::Op::kCreateInstanceFrom, {path, typeName}, result);
    }

   private:
    Connection* c_;
    std::atomic<ULONG> refs_{1};
  };

  Connection(std::unique_ptr<MessageChannel> channel, std::unique_ptr<qel::ChildProcess> child)
      : channel_(std::move(channel)), child_(std::move(child)) {}
  ~Connection() {
    channel_->Close();  // the server sees the end and releases what it still holds
    if (child_) child_->Stop(2000);
  }

  HRESULT Break(HRESULT hr) {
    channel_->Close();
    if (child_) child_->Kill();
    return hr;
  }

  HRESULT Create(loader::Op op, std::initializer_list<BSTR> texts, VARIANT* result);

  std::mutex lock_;
  std::unique_ptr<MessageChannel> channel_;
  std::unique_ptr<qel::ChildProcess> child_;
  std::atomic<int> holds_{1};  // the loader proxy's
  LoaderProxy loader_{this};
};

// An object that lives in the server.
class RemoteObject final : public IDispatch {
 public:
  RemoteObject(Connection* c, std::uint32_t id, bool dispatch)
      : c_(c), id_(id), dispatch_(dispatch) {
    c_->Hold();
  }
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && !(dispatch_ && iid == IID_IDispatch)) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IDispatch*>(this);
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) {
      loader::Request request;
      request.op = loader::Op::kRelease;
      request.object = id_;
      loader::Reply reply;
      c_->Call(request, reply, g_callTimeoutMs);  // a server that has gone took the object along
      c_->Drop();
      delete this;
    }
    return left;
  }
  HRESULT GetIDOfName(const OLECHAR* name, DISPID* id) override {
    if (!name || !id) return E_POINTER;
    loader::Request request;
    request.op = loader::Op::kGetIDOfName;
    request.object = id_;
    request.texts.push_back(qel::WideToUtf8(name));
    loader::Reply reply;
    const HRESULT hr = c_->Call(request, reply, g_callTimeoutMs);
    if (SUCCEEDED(hr)) *id = reply.dispid;
    return hr;
  }
  HRESULT Invoke(DISPID id, const VARIANT* args, UINT count, VARIANT* result) override;

 private:
  Connection* c_;
  std::uint32_t id_;
  bool dispatch_;
  std::atomic<ULONG> refs_{1};
};

// A reply's value as a VARIANT: an object becomes a proxy holding one reference.
HRESULT MakeResult(Connection* c, const loader::Value& value, VARIANT* out) {
  VARIANT v;
  VariantInit(&v);
  if (value.vt == VT_UNKNOWN) {
    v.vt = VT_UNKNOWN;
    v.punkVal = new RemoteObject(c, value.object, value.dispatch);
  } else {
    const HRESULT hr = loader::FromValue(value, v);
    if (FAILED(hr)) return hr;
  }
  if (out)
    *out = v;
  else
    VariantClear(&v);  // nobody wants it: an object is released in the server again
  return S_OK;
}

HRESULT RemoteObject::Invoke(DISPID id, const VARIANT* args, UINT count, VARIANT* result) {
  if (result) VariantInit(result);
  if (count > loader::kMaxArguments) return DISP_E_BADPARAMCOUNT;
  if (count > 0 && !args) return E_POINTER;
  loader::Request request;
  request.op = loader::Op::kInvoke;
  request.object = id_;
  request.dispid = id;
  request.args.resize(count);
  for (UINT i = 0; i < count; ++i) {
    const HRESULT hr = loader::ToValue(args[i], request.args[i]);
    if (FAILED(hr)) return hr;
  }
  loader::Reply reply;
  const HRESULT hr = c_->Call(request, reply, g_callTimeoutMs);
  if (FAILED(hr)) return hr;
  const HRESULT made = MakeResult(c_, reply.value, result);
  return FAILED(made) ? made : hr;
}

HRESULT Connection::Create(loader::Op op, std::initializer_list<BSTR> texts, VARIANT* result) {
  if (!result) return E_POINTER;
  VariantInit(result);
  loader::Request request;
  request.op = op;
  for (BSTR t : texts) request.texts.push_back(qel::WideToUtf8(qel::BstrText(t)));
  loader::Reply reply;
  const HRESULT hr = Call(request, reply, g_callTimeoutMs);
  if (FAILED(hr)) return hr;
  const HRESULT made = MakeResult(this, reply.value, result);
  return FAILED(made) ? made : hr;
}

// Hands out the loader of a connection that has just been opened, or closes it again.
HRESULT Handshake(Connection* c, REFIID iid, void** object) {
  HRESULT hr = c->Greet();
  if (SUCCEEDED(hr)) hr = c->loader()->QueryInterface(iid, object);
  c->loader()->Release();
  return hr;
}

std::string FolderOf(const std::string& file) {
  const auto slash = file.find_last_of('/');
  return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

}  // namespace

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                         void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (clsid != CLSID_OruComLoader || !(context & CLSCTX_LOCAL_SERVER)) return REGDB_E_CLASSNOTREG;
  if (outer) return CLASS_E_NOAGGREGATION;
  // COM is up on this thread exactly when another initialisation would only count.
  const HRESULT up = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (SUCCEEDED(up)) CoUninitialize();
  if (up == S_OK) return CO_E_NOTINITIALIZED;

  const std::string exe = qel::FindLoaderServer();
  if (exe.empty()) return CO_E_SERVER_EXEC_FAILURE;
  auto child = std::make_unique<qel::ChildProcess>();
  std::unique_ptr<MessageChannel> channel;
  if (!child->Start(exe, {"--serve-fd", std::to_string(qel::kChildChannelFd)}, channel))
    return CO_E_SERVER_EXEC_FAILURE;
  return Handshake(Connection::Open(std::move(channel), std::move(child)), iid, object);
}

namespace qel {

void SetLoaderServerPath(std::optional<std::string> path) {
  std::lock_guard<std::mutex> lock(g_pathLock);
  g_serverPath = std::move(path);
}

std::string FindLoaderServer() {
  {
    std::lock_guard<std::mutex> lock(g_pathLock);
    if (g_serverPath) return NativePath(*g_serverPath);
  }
  const std::string env = GetEnv("QELDB_LOADER");
  if (!env.empty()) return NativePath(env);
  const std::string program = FolderOf(ModuleFileName(nullptr));
  const std::string library = FolderOf(ModuleFileName(ThisModule()));
  for (const std::string& folder : {program, library, library + "../bin/"}) {
    if (folder.empty()) continue;
    const std::string candidate = folder + "qeldb-loader";
    if (IsExecutableFile(candidate)) return candidate;
  }
  return std::string();
}

void SetLoaderTimeouts(int startMs, int callMs) {
  g_startTimeoutMs = startMs;
  g_callTimeoutMs = callMs;
}

HRESULT ConnectLoader(std::unique_ptr<MessageChannel> channel, IOruComLoader** loader) {
  if (!loader) return E_POINTER;
  *loader = nullptr;
  if (!channel || !channel->IsOpen()) return CO_E_SERVER_EXEC_FAILURE;
  return Handshake(Connection::Open(std::move(channel), nullptr), IID_IOruComLoader,
                   reinterpret_cast<void**>(loader));
}

int LiveLoaderServers() {
  std::lock_guard<std::mutex> lock(g_registryLock);
  return static_cast<int>(Registry().size());
}

}  // namespace qel
