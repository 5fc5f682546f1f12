// The messages between the component loader's client and its server process (qeldb-loader).
//
// Every request gets exactly one reply, in order. A message is a 32-bit little-endian payload
// length followed by the payload; the payload is at most kMaxMessageBytes. Payloads:
//   request  u8 op, then by op:
//     kHello               u32 protocol version
//     kCreateInstance      5 x text (path, type name, three arguments for the object)
//     kCreateInstanceFrom  2 x text (path, type name)
//     kGetIDOfName         u32 object, text name
//     kInvoke              u32 object, i32 dispid, u8 count (<= kMaxArguments), count x value
//     kRelease             u32 object
//   reply    u8 op (the request's), i32 HRESULT; when it succeeded, by op:
//     kHello               u32 protocol version, u32 server process id
//     kCreateInstance[From], kInvoke   value
//     kGetIDOfName         i32 dispid
//     kRelease             nothing
//   text     u32 byte length, UTF-8 bytes
//   value    u16 VARTYPE, then: VT_EMPTY/VT_NULL nothing; VT_I4/VT_ERROR i32; VT_R8 f64;
//            VT_BOOL i16; VT_BSTR text; VT_UNKNOWN u32 object id, u8 flags (bit 0: the object
//            implements IDispatch) -- objects only in replies.
// Decoding refuses anything else: unknown ops or types, lengths past the payload's end, counts
// over the limits, bytes left over. It never allocates more than the payload's own size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/com.h"

namespace qel::loader {

inline constexpr std::uint32_t kProtocolVersion = 1;
inline constexpr std::uint32_t kMaxMessageBytes = 1u << 20;
inline constexpr std::size_t kMaxArguments = 16;

enum class Op : std::uint8_t {
  kHello = 1,
  kCreateInstance = 2,
  kCreateInstanceFrom = 3,
  kGetIDOfName = 4,
  kInvoke = 5,
  kRelease = 6,
};

struct Value {
  VARTYPE vt = VT_EMPTY;
  std::int32_t i4 = 0;  // VT_I4, VT_ERROR, VT_BOOL
  double r8 = 0;
  std::string text;          // VT_BSTR, UTF-8
  std::uint32_t object = 0;  // VT_UNKNOWN
  bool dispatch = false;     // VT_UNKNOWN: the object implements IDispatch
};

struct Request {
  Op op = Op::kHello;
  std::uint32_t version = 0;
  std::vector<std::string> texts;  // the creation texts, or the name for kGetIDOfName
  std::uint32_t object = 0;
  std::int32_t dispid = 0;
  std::vector<Value> args;
};

struct Reply {
  Op op = Op::kHello;
  HRESULT hr = S_OK;
  std::uint32_t version = 0, pid = 0;
  std::int32_t dispid = 0;
  Value value;
};

// Payloads (without the length prefix).
std::vector<unsigned char> EncodeRequest(const Request& request);
std::vector<unsigned char> EncodeReply(const Reply& reply);
bool DecodeRequest(const unsigned char* data, std::size_t size, Request& request);
bool DecodeReply(const unsigned char* data, std::size_t size, Reply& reply);

// A VARIANT as it crosses: S_OK, or DISP_E_TYPEMISMATCH for a type that cannot (objects are
// the caller's business). FromValue allocates strings (E_OUTOFMEMORY) and refuses objects.
HRESULT ToValue(const VARIANT& variant, Value& value);
HRESULT FromValue(const Value& value, VARIANT& variant);

}  // namespace qel::loader
