#include "archive/com_loader_client.h"

#include <cwctype>
#include <mutex>

#include "archive/string_utils.h"
#include "platform/paths.h"

namespace {

// Guards the process-wide instance. Defined before the holder, so it outlives it at exit.
std::mutex g_instanceLock;

template <class T>
void** Out(T** p) {
  return reinterpret_cast<void**>(p);
}

template <class T>
void ReleaseAndClear(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

bool Exists(const std::wstring& path) {
  return PathFileExistsA(qel::WideToUtf8(path).c_str()) != FALSE;
}

// "\Prog64\" at the end, in any case and with either separator.
bool EndsInProg64(const std::wstring& folder) {
  constexpr std::size_t kLength = 8;
  if (folder.size() < kLength) return false;
  const std::wstring tail = folder.substr(folder.size() - kLength);
  return isPathSeparator(tail.front()) && isPathSeparator(tail.back()) &&
         lowerCaseString(tail.substr(1, 6)) == L"prog64";
}

}  // namespace

std::set<std::wstring, ci_wless> COruComLoaderClient::sm_setDotNet2Dlls;
COruComLoaderClient::ManagedChildren COruComLoaderClient::sm_oManagedChildren;

bool ci_wless::operator()(const std::wstring& a, const std::wstring& b) const {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = std::towlower(static_cast<wint_t>(a[i]));
    const auto y = std::towlower(static_cast<wint_t>(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

COruComLoaderClient::RuntimeHost::RuntimeHost() {
  if (FAILED(qel::CreateRuntimeInstance(qel::CLSID_RuntimeMetaHost, qel::IID_IRuntimeMetaHost,
                                        Out(&m_pMetaHost)))) {
    m_pMetaHost = nullptr;
    return;
  }
  if (FAILED(m_pMetaHost->GetRuntime(qel::kComponentRuntimeVersion, qel::IID_IRuntimeInfo,
                                     Out(&m_pRuntimeInfo)))) {
    m_pRuntimeInfo = nullptr;
    return;
  }
  BOOL loadable = FALSE;
  if (FAILED(m_pRuntimeInfo->IsLoadable(&loadable)) || !loadable) return;
  if (FAILED(m_pRuntimeInfo->GetInterface(qel::CLSID_RuntimeHost, qel::IID_IRuntimeHost,
                                          Out(&m_pRuntimeHost)))) {
    m_pRuntimeHost = nullptr;
    return;
  }
  if (FAILED(m_pRuntimeHost->Start())) return;
  IUnknown* domain = nullptr;
  if (FAILED(m_pRuntimeHost->GetDefaultDomain(&domain)) || !domain) return;
  const HRESULT hr = domain->QueryInterface(qel::IID_IComponentDomain, Out(&m_pDomain));
  domain->Release();
  if (FAILED(hr)) {
    m_pDomain = nullptr;
    if (hr != E_NOINTERFACE) {
      // The destructor does not run for a constructor that throws.
      ReleaseAndClear(m_pRuntimeHost);
      ReleaseAndClear(m_pRuntimeInfo);
      ReleaseAndClear(m_pMetaHost);
      _com_issue_error(hr);
    }
  }
}

COruComLoaderClient::RuntimeHost::~RuntimeHost() {
  ReleaseAndClear(m_pDomain);
  ReleaseAndClear(m_pRuntimeHost);
  ReleaseAndClear(m_pRuntimeInfo);
  ReleaseAndClear(m_pMetaHost);
}

COruComLoaderClient::COruComLoaderClient() {
  m_hrLoader = CoCreateInstance(CLSID_OruComLoader, nullptr, CLSCTX_LOCAL_SERVER, IID_IOruComLoader,
                                Out(&m_pLoader));
  if (FAILED(m_hrLoader)) m_pLoader = nullptr;
}

COruComLoaderClient::~COruComLoaderClient() { ReleaseLoader(); }

void COruComLoaderClient::ReleaseLoader() {
  if (!m_pLoader) return;
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  // S_FALSE: COM was still up on this thread, so the proxy may be released. S_OK: COM had been
  // torn down here already; the pointer is dropped unreleased.
  if (hr == S_FALSE) m_pLoader->Release();
  if (SUCCEEDED(hr)) CoUninitialize();
  m_pLoader = nullptr;
}

COruComLoaderClient* COruComLoaderClient::Instance() {
  std::lock_guard<std::mutex> lock(g_instanceLock);
  if (!sm_oManagedChildren.m_pInstance) sm_oManagedChildren.m_pInstance = new COruComLoaderClient;
  return sm_oManagedChildren.m_pInstance;
}

void COruComLoaderClient::ReleaseInstance(ManagedChildren& holder) {
  std::lock_guard<std::mutex> lock(g_instanceLock);
  if (!holder.m_pInstance) return;
  holder.m_pInstance->ReleaseLoader();
  delete holder.m_pInstance;
  holder.m_pInstance = nullptr;
}

COruComLoaderClient::ManagedChildren::~ManagedChildren() { ReleaseInstance(*this); }

void COruComLoaderClient::Shutdown() { ReleaseInstance(sm_oManagedChildren); }

void OruComLoaderClientShutdown() { COruComLoaderClient::Shutdown(); }

bool COruComLoaderClient::IsDotNet2Dll(wchar_t* name) {
  return name && sm_setDotNet2Dlls.count(name) > 0;
}

long COruComLoaderClient::FromLoaderResult(HRESULT hr, VARIANT& result, IUnknown** out) {
  if (FAILED(hr)) {
    VariantClear(&result);
    return hr;
  }
  if (result.vt != VT_UNKNOWN || !result.punkVal) {
    VariantClear(&result);
    return E_UNEXPECTED;
  }
  *out = result.punkVal;  // the result's reference becomes the caller's
  return S_OK;
}

long COruComLoaderClient::CreateIUnknown(wchar_t* assembly, wchar_t* typeName, IUnknown** out,
                                         HINSTANCE module) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!assembly || !typeName) return E_INVALIDARG;
  char file[MAX_PATH];
  const DWORD length = GetModuleFileNameA(module ? module : qel::ThisModule(), file, MAX_PATH);
  if (length == 0) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
  // A cut-off name would send the search to a wrong folder.
  if (length >= static_cast<DWORD>(MAX_PATH)) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
  const std::wstring moduleFile = qel::Utf8ToWide(file);
  const auto separator = lastPathSeparatorInString(moduleFile);
  const std::wstring folder = qel::AssemblyFolder(
      separator == std::wstring::npos ? std::wstring() : moduleFile.substr(0, separator + 1),
      assembly);
  const qel::Bstr path(folder + assembly);
  const qel::Bstr type(typeName);

  if (!IsDotNet2Dll(assembly) && m_runtimeHost.m_pDomain) {
    qel::IObjectHandle* handle = nullptr;
    HRESULT hr = m_runtimeHost.m_pDomain->CreateInstanceFrom(path, type, &handle);
    if (FAILED(hr)) return hr;
    VARIANT object;
    VariantInit(&object);
    hr = handle->Unwrap(&object);
    handle->Release();
    if (FAILED(hr)) return hr;
    if (object.vt == VT_DISPATCH && object.pdispVal) {
      *out = object.pdispVal;
      return S_OK;
    }
    return FromLoaderResult(S_OK, object, out);
  }
  if (!m_pLoader) return m_hrLoader;
  VARIANT result;
  VariantInit(&result);
  return FromLoaderResult(m_pLoader->CreateInstanceFrom(path, type, &result), result, out);
}

long COruComLoaderClient::CreateIUnknown(wchar_t* a1, wchar_t* a2, wchar_t* a3, wchar_t* a4,
                                         wchar_t* a5, IUnknown** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  const qel::Bstr b1(a1), b2(a2), b3(a3), b4(a4), b5(a5);
  if (!m_pLoader) return m_hrLoader;
  VARIANT result;
  VariantInit(&result);
  return FromLoaderResult(m_pLoader->CreateInstance(b1, b2, b3, b4, b5, &result), result, out);
}

namespace qel {

std::wstring AssemblyFolder(const std::wstring& folder, const std::wstring& assembly) {
  if (Exists(folder + assembly)) return folder;
  const std::wstring x86 = folder + L"x86\\";
  if (Exists(x86 + assembly)) return x86;
  // The 64-bit programs' folder: its sibling Prog holds what is shared.
  if (EndsInProg64(folder)) return folder.substr(0, folder.size() - 3) + L"\\";
  return folder;
}

}  // namespace qel
