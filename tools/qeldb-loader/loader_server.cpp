#include "loader_server.h"

#include <cstdio>
#include <string>

#include "platform/child_process.h"
#include "platform/component_runtime.h"
#include "platform/paths.h"

namespace qel::loader {
namespace {

// A message must arrive whole within this time once it has begun.
constexpr int kMessageTimeoutMs = 10000;

bool IsObject(const VARIANT& v) {
  return (v.vt == VT_UNKNOWN || v.vt == VT_DISPATCH) && v.punkVal != nullptr;
}

}  // namespace

Server::~Server() {
  for (auto& [id, object] : objects_) object->Release();
}

std::vector<unsigned char> Server::Handle(const unsigned char* data, std::size_t size) {
  Request request;
  Reply reply;
  if (!DecodeRequest(data, size, request)) {
    const bool knownOp = size > 0 && data[0] >= static_cast<std::uint8_t>(Op::kHello) &&
                         data[0] <= static_cast<std::uint8_t>(Op::kRelease);
    reply.op = knownOp ? static_cast<Op>(data[0]) : Op::kHello;
    reply.hr = RPC_E_INVALID_DATA;
    return EncodeReply(reply);
  }
  reply = Dispatch(request);
  auto out = EncodeReply(reply);
  if (out.size() > kMaxMessageBytes) {
    // A result too large to carry (a huge string): the call's work is done, its value lost.
    Reply tooLarge;
    tooLarge.op = reply.op;
    tooLarge.hr = E_OUTOFMEMORY;
    out = EncodeReply(tooLarge);
  }
  return out;
}

Reply Server::Dispatch(const Request& request) {
  Reply reply;
  reply.op = request.op;
  try {
    switch (request.op) {
      case Op::kHello:
        reply.version = kProtocolVersion;
        reply.pid = CurrentProcessId();
        break;
      case Op::kCreateInstance:
      case Op::kCreateInstanceFrom:
        reply.hr = Create(request, reply.value);
        break;
      case Op::kGetIDOfName:
        reply.hr = GetIDOfName(request, reply.dispid);
        break;
      case Op::kInvoke:
        reply.hr = Invoke(request, reply.value);
        break;
      case Op::kRelease:
        reply.hr = Release(request.object);
        break;
    }
  } catch (...) {
    // A component's exception ends its call, not the server.
    reply.hr = E_FAIL;
  }
  if (FAILED(reply.hr)) reply.value = Value();
  return reply;
}

HRESULT Server::Create(const Request& request, Value& result) {
  const std::vector<std::string> args(request.texts.begin() + 2, request.texts.end());
  IUnknown* object = nullptr;
  std::string detail;
  const HRESULT hr =
      CreateComponentObject(request.texts[0], request.texts[1], args, &object, &detail);
  if (FAILED(hr)) {
    if (!detail.empty()) std::fprintf(stderr, "qeldb-loader: %s\n", detail.c_str());
    return hr;
  }
  result = object ? Register(object) : Value();
  return hr;
}

Value Server::Register(IUnknown* object) {
  Value v;
  v.vt = VT_UNKNOWN;
  v.object = nextId_++;
  if (nextId_ == 0) nextId_ = 1;  // 0 is never an object
  IDispatch* dispatch = nullptr;
  if (SUCCEEDED(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))) &&
      dispatch) {
    v.dispatch = true;
    dispatch->Release();
  }
  objects_[v.object] = object;
  return v;
}

HRESULT Server::Dispatcher(std::uint32_t id, IDispatch** dispatch) {
  *dispatch = nullptr;
  const auto it = objects_.find(id);
  if (it == objects_.end()) return RPC_E_INVALID_OBJECT;
  const HRESULT hr = it->second->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch));
  if (SUCCEEDED(hr) && !*dispatch) return E_NOINTERFACE;
  return hr;
}

HRESULT Server::GetIDOfName(const Request& request, DISPID& id) {
  IDispatch* dispatch = nullptr;
  HRESULT hr = Dispatcher(request.object, &dispatch);
  if (FAILED(hr)) return hr;
  hr = dispatch->GetIDOfName(Utf8ToWide(request.texts[0]).c_str(), &id);
  dispatch->Release();
  return hr;
}

HRESULT Server::Invoke(const Request& request, Value& result) {
  IDispatch* dispatch = nullptr;
  HRESULT hr = Dispatcher(request.object, &dispatch);
  if (FAILED(hr)) return hr;
  std::vector<VARIANT> args(request.args.size());
  for (auto& a : args) VariantInit(&a);
  for (std::size_t i = 0; i < args.size() && SUCCEEDED(hr); ++i)
    hr = FromValue(request.args[i], args[i]);
  VARIANT out;
  VariantInit(&out);
  if (SUCCEEDED(hr))
    hr = dispatch->Invoke(request.dispid, args.data(), static_cast<UINT>(args.size()), &out);
  dispatch->Release();
  for (auto& a : args) VariantClear(&a);
  if (SUCCEEDED(hr)) {
    if (IsObject(out)) {
      IUnknown* object = nullptr;
      hr = out.punkVal->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&object));
      if (SUCCEEDED(hr) && object) result = Register(object);
    } else {
      hr = ToValue(out, result);
    }
  }
  VariantClear(&out);
  return hr;
}

HRESULT Server::Release(std::uint32_t id) {
  const auto it = objects_.find(id);
  if (it == objects_.end()) return RPC_E_INVALID_OBJECT;
  IUnknown* object = it->second;
  objects_.erase(it);
  object->Release();
  return S_OK;
}

int Serve(MessageChannel& channel) {
  Server server;
  for (;;) {
    std::vector<unsigned char> request;
    auto status = channel.Receive(request, -1, kMessageTimeoutMs, kMaxMessageBytes);
    if (status == MessageChannel::Status::kClosed) return 0;  // the client has gone
    if (status == MessageChannel::Status::kOk)
      status = channel.Send(server.Handle(request.data(), request.size()), kMessageTimeoutMs,
                            kMaxMessageBytes);
    if (status != MessageChannel::Status::kOk) {
      std::fprintf(stderr, "qeldb-loader: %s\n", ChannelStatusText(status));
      return 1;
    }
  }
}

}  // namespace qel::loader
