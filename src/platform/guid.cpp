#include "platform/guid.h"

#include <cstring>
#include <random>

HRESULT CoCreateGuid(GUID* out) {
  if (out == nullptr) return E_FAIL;
  unsigned char bytes[16];
  try {
    std::random_device rd;
    for (int i = 0; i < 16; i += 4) {
      const unsigned v = rd();
      std::memcpy(bytes + i, &v, 4);
    }
  } catch (...) {
    // random_device reports an unavailable source by throwing; callers get a failure code.
    return E_FAIL;
  }
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  std::memcpy(out, bytes, sizeof(GUID));
  return S_OK;
}
