// The least a component can be: "Plain" is an object with IUnknown alone, and "Nothing" is a
// creation that succeeds without giving an object.
#include <atomic>
#include <string_view>

#include "platform/component.h"

namespace {

class Plain final : public IUnknown {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    *object = nullptr;
    if (iid != IID_IUnknown) return E_NOINTERFACE;
    AddRef();
    *object = this;
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<ULONG> refs_{1};
};

}  // namespace

extern "C" HRESULT QelCreateObject(const char* typeName, const char* const*, unsigned,
                                   IUnknown** object) {
  *object = nullptr;
  const std::string_view type(typeName);
  if (type == "Nothing") return S_OK;
  if (type != "Plain") return CLASS_E_CLASSNOTAVAILABLE;
  *object = new Plain;
  return S_OK;
}
