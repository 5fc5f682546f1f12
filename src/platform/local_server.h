// The out-of-process component loader: starting its server (qeldb-loader) and the proxies that
// stand for the server and for the objects it created.
//
// Contract:
// - CoCreateInstance(CLSID_OruComLoader, null, CLSCTX_LOCAL_SERVER, IID_IOruComLoader, &p)
//   starts a server process for the caller and connects to it over a Unix-domain socket. COM must
//   be initialised on the calling thread (else CO_E_NOTINITIALIZED). CO_E_SERVER_EXEC_FAILURE
//   when the server cannot be found or started, or does not answer within the start timeout;
//   REGDB_E_CLASSNOTREG for any other class or context.
// - The server is the file named by SetLoaderServerPath, else by $QELDB_LOADER, else the first
//   executable qeldb-loader beside the program, beside this library or in the library folder's
//   sibling bin/ (the installed layout).
// - Each activation has its own server process. It lives while the loader proxy or an object
//   proxy from it lives and ends when the last one is released.
// - IOruComLoader::CreateInstance(a1..a5): the server creates an object of type a2 from the
//   component at path a1, passing a3..a5 to it; CreateInstanceFrom(path, type): the same with no
//   arguments. An object comes back as VT_UNKNOWN holding a proxy; any other result (VT_EMPTY
//   when the component's factory gave no object) comes back as it is.
// - A proxy's QueryInterface gives IUnknown, and IDispatch when the remote object implements it
//   (no other interface can cross). Its calls are made in the server; its last Release ends the
//   remote object.
// - Every call waits at most the call timeout. A server that goes away, answers nonsense or not
//   in time gives RPC_E_DISCONNECTED, RPC_E_INVALID_DATA or RPC_E_TIMEOUT; then the connection
//   is closed, the server killed, and every later call gives RPC_E_DISCONNECTED.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/com.h"
#include "platform/message_channel.h"

inline constexpr CLSID CLSID_OruComLoader = {
    0x17eadb8c, 0x0784, 0x4557, {0xa2, 0xdc, 0x0d, 0xee, 0x5b, 0xfe, 0x57, 0xf9}};
inline constexpr IID IID_IOruComLoader = {
    0x2736752b, 0x39ba, 0x4787, {0xbd, 0xcf, 0xfb, 0x75, 0x72, 0x0d, 0xdc, 0x54}};

// The loader server's interface; its two methods follow those of IDispatch, whose own methods
// the loader does not implement (E_NOTIMPL).
struct IOruComLoader : IDispatch {
  virtual HRESULT CreateInstance(BSTR a1, BSTR a2, BSTR a3, BSTR a4, BSTR a5, VARIANT* result) = 0;
  virtual HRESULT CreateInstanceFrom(BSTR path, BSTR typeName, VARIANT* result) = 0;
};

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);

namespace qel {

// Overrides where the server is found for this process (std::nullopt: as above).
void SetLoaderServerPath(std::optional<std::string> path);
// The server's path as found now, or "" when there is none.
std::string FindLoaderServer();

// How long a server may take to answer its first message, and any later call (milliseconds).
// The defaults are 10 s and 60 s.
void SetLoaderTimeouts(int startMs, int callMs);

// Connects a loader proxy to a server already listening on `channel` (no process of ours):
// the start handshake, then *loader. The codes of CoCreateInstance.
HRESULT ConnectLoader(std::unique_ptr<MessageChannel> channel, IOruComLoader** loader);

// Connections to loader servers that are still open, whether or not anyone can still release
// them.
int LiveLoaderServers();

}  // namespace qel
