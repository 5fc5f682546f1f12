#include "platform/com.h"

#include <cstdio>

namespace {

// How often COM was initialised on this thread, and in which model.
thread_local int t_initCount = 0;
thread_local DWORD t_initModel = 0;

struct KnownError {
  HRESULT hr;
  const char* text;
};

// The standard texts of the codes this library produces itself.
constexpr KnownError kKnownErrors[] = {
    {S_OK, "The operation completed successfully."},
    {S_FALSE, "Incorrect function."},
    {E_UNEXPECTED, "Catastrophic failure"},
    {E_NOTIMPL, "Not implemented"},
    {E_OUTOFMEMORY, "Not enough memory resources are available to complete this operation."},
    {E_INVALIDARG, "The parameter is incorrect."},
    {E_NOINTERFACE, "No such interface supported"},
    {E_POINTER, "Invalid pointer"},
    {E_FAIL, "Unspecified error"},
    {CLASS_E_CLASSNOTAVAILABLE, "ClassFactory cannot supply requested class"},
    {REGDB_E_CLASSNOTREG, "Class not registered"},
    {CO_E_NOTINITIALIZED, "CoInitialize has not been called."},
    {CO_E_SERVER_EXEC_FAILURE, "Server execution failed"},
    {RPC_E_DISCONNECTED, "The object invoked has disconnected from its clients."},
    {RPC_E_TIMEOUT, "This operation returned because the timeout period expired."},
    {HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), "The system cannot find the file specified."},
    {HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND), "The specified module could not be found."},
    {HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND), "The specified procedure could not be found."},
};

}  // namespace

HRESULT CoInitializeEx(void* /*reserved*/, DWORD coInit) {
  const DWORD model = coInit & COINIT_APARTMENTTHREADED;
  if (t_initCount > 0 && model != t_initModel) return RPC_E_CHANGED_MODE;
  if (t_initCount++ > 0) return S_FALSE;
  t_initModel = model;
  return S_OK;
}

void CoUninitialize() {
  if (t_initCount > 0) --t_initCount;
}

const char* _com_error::ErrorMessage() const {
  if (message_.empty()) {
    for (const auto& known : kKnownErrors)
      if (known.hr == hr_) return message_.assign(known.text).c_str();
    const auto code = static_cast<std::uint32_t>(hr_);
    char text[64];
    if ((code & 0xFFFF0000u) == 0x80040000u && (code & 0xFFFFu) >= 0x200u)
      std::snprintf(text, sizeof text, "IDispatch error #%d", static_cast<int>(code - 0x80040200u));
    else
      std::snprintf(text, sizeof text, "Unknown error 0x%0lX", static_cast<unsigned long>(code));
    message_ = text;
  }
  return message_.c_str();
}

void _com_issue_error(HRESULT hr) { throw _com_error(hr); }

namespace qel {

Bstr::Bstr(const wchar_t* text) : s_(SysAllocString(text)) {
  if (text && !s_) _com_issue_error(E_OUTOFMEMORY);
}

Bstr::Bstr(const std::wstring& text)
    : s_(text.size() > UINT32_MAX
             ? nullptr
             : SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
  if (!s_) _com_issue_error(E_OUTOFMEMORY);
}

}  // namespace qel
