// The loader server's work: creating objects from components for its one client and serving
// calls on them, one request at a time, until the client goes.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "platform/com.h"
#include "platform/loader_protocol.h"
#include "platform/message_channel.h"

namespace qel::loader {

class Server {
 public:
  Server() = default;
  ~Server();  // releases every object the client did not
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // The reply payload to one request payload; a malformed request gets RPC_E_INVALID_DATA.
  std::vector<unsigned char> Handle(const unsigned char* data, std::size_t size);

 private:
  Reply Dispatch(const Request& request);
  HRESULT Create(const Request& request, Value& result);
  HRESULT GetIDOfName(const Request& request, DISPID& id);
  HRESULT Invoke(const Request& request, Value& result);
  HRESULT Release(std::uint32_t id);
  // Holds `object` (taking its reference) and describes it for the client.
  Value Register(IUnknown* object);
  // The object's IDispatch (a new reference), or the reason there is none.
  HRESULT Dispatcher(std::uint32_t id, IDispatch** dispatch);

  std::map<std::uint32_t, IUnknown*> objects_;
  std::uint32_t nextId_ = 1;
};

// Serves `channel` until the client closes it; the process's exit status.
int Serve(MessageChannel& channel);

}  // namespace qel::loader
