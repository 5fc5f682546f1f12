// The component object model the suite's components speak, on Linux: reference-counted
// interfaces found by GUID, HRESULT codes, counted strings (BSTR), tagged values (VARIANT),
// late-bound calls (IDispatch) and the per-thread apartment calls.
//
// Contract:
// - IUnknown is a plain C++ interface (no calling-convention attributes, no virtual destructor):
//   objects are created by a factory with one reference, AddRef/Release count references and the
//   object frees itself when the count reaches zero; QueryInterface hands out another reference
//   for an interface it implements and E_NOINTERFACE (with *object null) for one it does not.
// - Everything a component needs (GUIDs, HRESULTs, IUnknown, IDispatch, BSTR and VARIANT with
//   their helpers) is inline in this header, so a component includes it and links nothing of
//   qeldbio. Strings and values allocated on one side of a shared-object boundary may be freed on
//   the other: both use the C library's allocator with the same layout.
// - A BSTR is wchar_t text preceded by its length in bytes (32 bits) and followed by a NUL; it
//   may hold NULs. A null BSTR is an empty string.
// - CoInitializeEx/CoUninitialize only count, per thread, as COM does: the first call on a thread
//   returns S_OK, later ones S_FALSE, one asking for the other threading model
//   RPC_E_CHANGED_MODE (and counts nothing); every successful call is balanced by CoUninitialize.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "platform/win_types.h"

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

constexpr bool IsEqualGUID(REFGUID a, REFGUID b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}
constexpr bool operator==(const GUID& a, const GUID& b) { return IsEqualGUID(a, b); }

// HRESULT codes beyond the common ones in win_types.h.
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
constexpr HRESULT CO_E_SERVER_EXEC_FAILURE = static_cast<HRESULT>(0x80080005u);
constexpr HRESULT RPC_E_INVALID_DATA = static_cast<HRESULT>(0x8001000Fu);
constexpr HRESULT RPC_E_CHANGED_MODE = static_cast<HRESULT>(0x80010106u);
constexpr HRESULT RPC_E_DISCONNECTED = static_cast<HRESULT>(0x80010108u);
constexpr HRESULT RPC_E_INVALID_OBJECT = static_cast<HRESULT>(0x80010114u);
constexpr HRESULT RPC_E_TIMEOUT = static_cast<HRESULT>(0x8001011Fu);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000Eu);

constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
constexpr DWORD ERROR_BAD_EXE_FORMAT = 193;
constexpr HRESULT HRESULT_FROM_WIN32(DWORD code) {
  return static_cast<HRESULT>(code == 0 ? 0u : ((code & 0xFFFFu) | 0x80070000u));
}

// {00000000-0000-0000-C000-000000000046} and {00020400-0000-0000-C000-000000000046}.
inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

// ---- BSTR ----------------------------------------------------------------------------------

using OLECHAR = wchar_t;
using BSTR = OLECHAR*;

// A BSTR of `length` characters copied from `text` (left uninitialised when text is null);
// null when memory is short or the length is absurd.
inline BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  constexpr std::size_t kMax = (UINT32_MAX - sizeof(std::uint32_t)) / sizeof(OLECHAR) - 1;
  if (length > kMax) return nullptr;
  const std::size_t bytes = std::size_t{length} * sizeof(OLECHAR);
  auto* block =
      static_cast<unsigned char*>(std::malloc(sizeof(std::uint32_t) + bytes + sizeof(OLECHAR)));
  if (!block) return nullptr;
  const auto prefix = static_cast<std::uint32_t>(bytes);
  std::memcpy(block, &prefix, sizeof prefix);
  auto* s = reinterpret_cast<BSTR>(block + sizeof prefix);
  if (text) std::memcpy(s, text, bytes);
  s[length] = L'\0';
  return s;
}
inline BSTR SysAllocString(const OLECHAR* text) {
  return text ? SysAllocStringLen(text, static_cast<UINT>(std::wcslen(text))) : nullptr;
}
inline void SysFreeString(BSTR s) {
  if (s) std::free(reinterpret_cast<unsigned char*>(s) - sizeof(std::uint32_t));
}
inline UINT SysStringByteLen(BSTR s) {
  if (!s) return 0;
  std::uint32_t prefix;
  std::memcpy(&prefix, reinterpret_cast<unsigned char*>(s) - sizeof prefix, sizeof prefix);
  return prefix;
}
inline UINT SysStringLen(BSTR s) { return SysStringByteLen(s) / sizeof(OLECHAR); }

// ---- VARIANT -------------------------------------------------------------------------------

struct IDispatch;
using VARTYPE = std::uint16_t;
using VARIANT_BOOL = std::int16_t;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;
enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I4 = 3,
  VT_R8 = 5,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_UNKNOWN = 13,
};

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1, wReserved2, wReserved3;
  union {
    LONG lVal;
    double dblVal;
    VARIANT_BOOL boolVal;
    HRESULT scode;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
  };
};

inline void VariantInit(VARIANT* v) {
  std::memset(v, 0, sizeof *v);
  v->vt = VT_EMPTY;
}
// Frees what the value owns (a BSTR, a reference) and leaves it VT_EMPTY.
inline HRESULT VariantClear(VARIANT* v);
// Copies `src` into `dest` (cleared first): strings are duplicated, references added.
inline HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);

// ---- IDispatch -----------------------------------------------------------------------------

// Late binding reduced to what can cross a process boundary: a method's id from its name, and a
// call with its arguments in order (not reversed as in COM's DISPPARAMS). Arguments belong to the
// caller; the callee fills `result` (VT_EMPTY when the method returns nothing).
using DISPID = LONG;
struct IDispatch : IUnknown {
  virtual HRESULT GetIDOfName(const OLECHAR* name, DISPID* id) = 0;
  virtual HRESULT Invoke(DISPID id, const VARIANT* args, UINT count, VARIANT* result) = 0;

 protected:
  ~IDispatch() = default;
};

inline HRESULT VariantClear(VARIANT* v) {
  if (!v) return E_INVALIDARG;
  if (v->vt == VT_BSTR) SysFreeString(v->bstrVal);
  if ((v->vt == VT_UNKNOWN || v->vt == VT_DISPATCH) && v->punkVal) {
    if (v->vt == VT_UNKNOWN)
      v->punkVal->Release();
    else
      v->pdispVal->Release();
  }
  VariantInit(v);
  return S_OK;
}

inline HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
  if (!dest || !src) return E_INVALIDARG;
  if (dest == src) return S_OK;
  VariantClear(dest);
  VARIANT copy = *src;
  if (src->vt == VT_BSTR && src->bstrVal) {
    copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
    if (!copy.bstrVal) return E_OUTOFMEMORY;
  } else if (src->vt == VT_UNKNOWN && src->punkVal) {
    src->punkVal->AddRef();
  } else if (src->vt == VT_DISPATCH && src->pdispVal) {
    src->pdispVal->AddRef();
  }
  *dest = copy;
  return S_OK;
}

// ---- Apartments and errors (in the library) ------------------------------------------------

constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;

HRESULT CoInitializeEx(void* reserved, DWORD coInit);
void CoUninitialize();

// The error a COM call site raises where it cannot return an HRESULT (out of memory while making
// a BSTR, a failed step of a host's construction). ErrorMessage() gives the standard text of a
// known code, "IDispatch error #%d" for the codes of IDispatch implementations and
// "Unknown error 0x%0lX" for the rest.
class _com_error {
 public:
  explicit _com_error(HRESULT hr) : hr_(hr) {}
  HRESULT Error() const { return hr_; }
  const char* ErrorMessage() const;

 private:
  HRESULT hr_;
  mutable std::string message_;
};

[[noreturn]] void _com_issue_error(HRESULT hr);

namespace qel {

// A BSTR owned for one scope. Made from wide text; raises _com_error(E_OUTOFMEMORY) when it
// cannot be allocated (a null text gives a null BSTR, COM's empty string).
class Bstr {
 public:
  explicit Bstr(const wchar_t* text);
  explicit Bstr(const std::wstring& text);
  ~Bstr() { SysFreeString(s_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  operator BSTR() const { return s_; }  // NOLINT: passed straight to interface methods

 private:
  BSTR s_;
};

// The text of a BSTR (which may hold NULs) as a std::wstring.
inline std::wstring BstrText(BSTR s) { return s ? std::wstring(s, SysStringLen(s)) : L""; }

}  // namespace qel
