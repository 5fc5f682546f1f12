// IStream: the part of COM's byte stream that an archive reader needs -- an IUnknown
// (platform/com.h) with Read and Seek -- so a zip archive can be read from memory or from any
// source a caller wraps.
//
// Contract (as COM's):
// - Reference counting and QueryInterface as IUnknown says; QueryInterface answers IID_IUnknown
//   and IID_IStream. A creator hands out the first reference.
// - Read copies up to `cb` bytes to `pv` and stores how many in *pcbRead (when not null): S_OK
//   when all `cb` came, S_FALSE when the end came first, a failure code on an error.
// - Seek moves to `move` from STREAM_SEEK_SET / STREAM_SEEK_CUR / STREAM_SEEK_END and stores the
//   new position (when not null); moving before the start fails (E_INVALIDARG) and leaves the
//   position alone, moving past the end is allowed (reads there return nothing).
// Write and the rest of COM's stream are not part of this interface.
#pragma once

#include <cstdint>

#include "platform/com.h"
#include "platform/win_types.h"

constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;

// {0000000C-0000-0000-C000-000000000046}
inline constexpr IID IID_IStream = {0x0000000C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

struct IStream : IUnknown {
  virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
  virtual HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) = 0;

 protected:
  // Only Release destroys a stream.
  ~IStream() = default;
};

// A stream over a copy of `size` bytes at `data` (null data with size 0: an empty stream), with
// one reference held by the caller; null when the copy cannot be made.
IStream* SHCreateMemStream(const BYTE* data, UINT size);
