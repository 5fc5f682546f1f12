// Helpers for tests of COM-shaped objects: COM initialised for a scope, late-bound calls.
#pragma once

#include <optional>
#include <vector>

#include "platform/com.h"

namespace qeltest {

// COM initialised on this thread (apartment-threaded) while it lives.
class ComScope {
 public:
  ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT hr_;
};

inline VARIANT I4(LONG v) {
  VARIANT x;
  VariantInit(&x);
  x.vt = VT_I4;
  x.lVal = v;
  return x;
}

// Calls `name` on `object` through IDispatch; `result` (optional) receives the value.
inline HRESULT CallMethod(IUnknown* object, const wchar_t* name,
                          const std::vector<VARIANT>& args = {}, VARIANT* result = nullptr) {
  IDispatch* dispatch = nullptr;
  HRESULT hr = object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
  if (FAILED(hr)) return hr;
  DISPID id = 0;
  hr = dispatch->GetIDOfName(name, &id);
  VARIANT out;
  VariantInit(&out);
  if (SUCCEEDED(hr)) hr = dispatch->Invoke(id, args.data(), static_cast<UINT>(args.size()), &out);
  dispatch->Release();
  if (result)
    *result = out;
  else
    VariantClear(&out);
  return hr;
}

// The VT_I4 result of a call, or nothing when it failed or gave another type.
inline std::optional<LONG> CallI4(IUnknown* object, const wchar_t* name,
                                  const std::vector<VARIANT>& args = {}) {
  VARIANT out;
  if (FAILED(CallMethod(object, name, args, &out)) || out.vt != VT_I4) {
    VariantClear(&out);
    return std::nullopt;
  }
  return out.lVal;
}

}  // namespace qeltest
