#include "platform/istream.h"

#include <atomic>
#include <cstring>
#include <new>
#include <vector>

namespace {

class MemStream final : public IStream {
 public:
  explicit MemStream(std::vector<BYTE> bytes) : bytes_(std::move(bytes)) {}

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IStream)) {
      *object = static_cast<IStream*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
    if (!pv && cb) return E_POINTER;
    ULONG n = 0;
    if (pos_ < bytes_.size()) {
      const std::uint64_t left = bytes_.size() - pos_;
      n = static_cast<ULONG>(left < cb ? left : cb);
      if (n) std::memcpy(pv, bytes_.data() + pos_, n);
      pos_ += n;
    }
    if (pcbRead) *pcbRead = n;
    return n == cb ? S_OK : S_FALSE;
  }

  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
    std::int64_t base;
    switch (origin) {
      case STREAM_SEEK_SET:
        base = 0;
        break;
      case STREAM_SEEK_CUR:
        base = static_cast<std::int64_t>(pos_);
        break;
      case STREAM_SEEK_END:
        base = static_cast<std::int64_t>(bytes_.size());
        break;
      default:
        return E_INVALIDARG;
    }
    const std::int64_t delta = move.QuadPart;
    if ((delta < 0 && base + delta < 0) || (delta > 0 && base > INT64_MAX - delta))
      return E_INVALIDARG;
    pos_ = static_cast<std::uint64_t>(base + delta);
    if (newPosition) newPosition->QuadPart = pos_;
    return S_OK;
  }

 private:
  ~MemStream() = default;
  std::vector<BYTE> bytes_;
  std::uint64_t pos_ = 0;
  std::atomic<ULONG> refs_{1};
};

}  // namespace

IStream* SHCreateMemStream(const BYTE* data, UINT size) {
  if (!data && size) return nullptr;
  try {
    return new MemStream(std::vector<BYTE>(data, data + size));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
