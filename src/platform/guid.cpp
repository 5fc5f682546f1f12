#include "platform/guid.h"

#include <sys/random.h>

#include <cerrno>
#include <cstring>

HRESULT CoCreateGuid(GUID* out) {
  if (out == nullptr) return E_FAIL;
  unsigned char bytes[16];
  // The kernel's random source, without opening a device each time; a short read or an error
  // (no randomness to be had) is a failure for the caller.
  ssize_t got = -1;
  do {
    got = getrandom(bytes, sizeof bytes, 0);
  } while (got < 0 && errno == EINTR);
  if (got != static_cast<ssize_t>(sizeof bytes)) return E_FAIL;
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  std::memcpy(out, bytes, sizeof(GUID));
  return S_OK;
}
