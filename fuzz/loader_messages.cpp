// Feeds arbitrary bytes to the loader server's request parser and to the client's reply parser.
// Whatever decodes must encode back to exactly the same bytes (the format has one spelling for
// each message), and its values must convert to VARIANTs and back without loss.
#include <cstdint>
#include <cstring>

#include "platform/loader_protocol.h"

namespace {

using namespace qel::loader;

void CheckValue(const Value& value) {
  VARIANT v;
  if (FAILED(FromValue(value, v))) {
    if (value.vt != VT_UNKNOWN) __builtin_trap();  // only objects are refused
    return;
  }
  Value back;
  if (FAILED(ToValue(v, back)) || back.vt != value.vt) __builtin_trap();
  VariantClear(&v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Request request;
  if (DecodeRequest(data, size, request)) {
    const auto again = EncodeRequest(request);
    if (again.size() != size || std::memcmp(again.data(), data, size) != 0) __builtin_trap();
    for (const Value& a : request.args) CheckValue(a);
  }
  Reply reply;
  if (DecodeReply(data, size, reply)) {
    const auto again = EncodeReply(reply);
    if (again.size() != size || std::memcmp(again.data(), data, size) != 0) __builtin_trap();
    CheckValue(reply.value);
  }
  return 0;
}
