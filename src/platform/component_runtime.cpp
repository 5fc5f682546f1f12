#include "platform/component_runtime.h"

#include <atomic>
#include <utility>

#include "platform/component.h"
#include "platform/installed_hook.h"
#include "platform/module.h"
#include "platform/paths.h"

namespace {

// QueryInterface for an object that implements IUnknown and one interface `I` with `iid`.
template <class I>
HRESULT QueryOne(I* self, REFIID wanted, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (wanted != IID_IUnknown && wanted != iid) return E_NOINTERFACE;
  self->AddRef();
  *object = self;
  return S_OK;
}

// The process-wide parts live in static storage for the life of the process.
template <class I>
class ProcessWide : public I {
 public:
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
};

class ObjectHandle final : public qel::IObjectHandle {
 public:
  explicit ObjectHandle(IUnknown* object) {
    VariantInit(&value_);
    if (object) {
      value_.vt = VT_UNKNOWN;
      value_.punkVal = object;  // takes the factory's reference
    }
  }
  HRESULT QueryInterface(REFIID iid, void** object) override {
    return QueryOne(this, iid, qel::IID_IObjectHandle, object);
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) {
      VariantClear(&value_);
      delete this;
    }
    return left;
  }
  HRESULT Unwrap(VARIANT* object) override {
    if (!object) return E_POINTER;
    VariantInit(object);
    return VariantCopy(object, &value_);
  }

 private:
  std::atomic<ULONG> refs_{1};
  VARIANT value_;
};

class Domain final : public ProcessWide<qel::IComponentDomain> {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    return QueryOne(this, iid, qel::IID_IComponentDomain, object);
  }
  HRESULT CreateInstanceFrom(BSTR path, BSTR typeName, qel::IObjectHandle** handle) override {
    if (!handle) return E_POINTER;
    *handle = nullptr;
    IUnknown* object = nullptr;
    const HRESULT hr =
        qel::CreateComponentObject(qel::WideToUtf8(qel::BstrText(path)),
                                   qel::WideToUtf8(qel::BstrText(typeName)), {}, &object);
    if (FAILED(hr)) return hr;
    *handle = new ObjectHandle(object);
    return S_OK;
  }
} g_domain;

class Host final : public ProcessWide<qel::IRuntimeHost> {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    return QueryOne(this, iid, qel::IID_IRuntimeHost, object);
  }
  HRESULT Start() override {
    started_ = true;
    return S_OK;
  }
  HRESULT GetDefaultDomain(IUnknown** domain) override {
    if (!domain) return E_POINTER;
    *domain = nullptr;
    if (!started_) return E_UNEXPECTED;
    *domain = &g_domain;
    return S_OK;
  }

 private:
  std::atomic<bool> started_{false};
} g_host;

class RuntimeInfo final : public ProcessWide<qel::IRuntimeInfo> {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    return QueryOne(this, iid, qel::IID_IRuntimeInfo, object);
  }
  HRESULT IsLoadable(BOOL* loadable) override {
    if (!loadable) return E_POINTER;
    *loadable = qel::ModuleFromAddress(&g_host) != nullptr ? TRUE : FALSE;
    return S_OK;
  }
  HRESULT GetInterface(REFCLSID clsid, REFIID iid, void** object) override {
    if (object) *object = nullptr;
    if (clsid != qel::CLSID_RuntimeHost) return CLASS_E_CLASSNOTAVAILABLE;
    return g_host.QueryInterface(iid, object);
  }
} g_runtimeInfo;

class MetaHost final : public ProcessWide<qel::IRuntimeMetaHost> {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    return QueryOne(this, iid, qel::IID_IRuntimeMetaHost, object);
  }
  HRESULT GetRuntime(const wchar_t* version, REFIID iid, void** runtime) override {
    if (runtime) *runtime = nullptr;
    if (!version || std::wstring(version) != qel::kComponentRuntimeVersion) return E_INVALIDARG;
    return g_runtimeInfo.QueryInterface(iid, runtime);
  }
} g_metaHost;

qel::InstalledHook<qel::RuntimeFactory> g_factory;

}  // namespace

namespace qel {

HRESULT CreateRuntimeInstance(REFCLSID clsid, REFIID iid, void** object) {
  if (const RuntimeFactory replacement = g_factory.Get()) return replacement(clsid, iid, object);
  if (object) *object = nullptr;
  if (clsid != CLSID_RuntimeMetaHost) return CLASS_E_CLASSNOTAVAILABLE;
  return g_metaHost.QueryInterface(iid, object);
}

RuntimeFactory SetRuntimeFactory(RuntimeFactory factory) {
  return g_factory.Exchange(std::move(factory));
}

HRESULT CreateComponentObject(const std::string& path, const std::string& typeName,
                              const std::vector<std::string>& args, IUnknown** object,
                              std::string* detail) {
  if (!object) return E_POINTER;
  *object = nullptr;
  void* entry = nullptr;
  const HRESULT loaded = LoadModuleSymbol(path, kQelCreateObjectSymbol, &entry, detail);
  if (FAILED(loaded)) return loaded;
  std::vector<const char*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());
  IUnknown* created = nullptr;
  HRESULT hr = E_FAIL;
  try {
    hr = reinterpret_cast<QelCreateObjectFn>(entry)(typeName.c_str(), argv.data(),
                                                    static_cast<unsigned>(argv.size()), &created);
  } catch (...) {
    // A component's exception must not unwind through the loader; it is a failed creation.
    return E_FAIL;
  }
  if (FAILED(hr)) return hr;
  *object = created;
  return hr;
}

}  // namespace qel
