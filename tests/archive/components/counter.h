// The interface of the test counter component, known to the tests and the component alike.
#pragma once

#include "platform/com.h"

// {eef4ae5c-7e60-4af0-ad9c-3e1f8172fe15}
inline constexpr IID IID_ICounter = {
    0xeef4ae5c, 0x7e60, 0x4af0, {0xad, 0x9c, 0x3e, 0x1f, 0x81, 0x72, 0xfe, 0x15}};

struct ICounter : IUnknown {
  virtual LONG Add(LONG n) = 0;
  virtual LONG Value() = 0;
};
