// The in-process component runtime: how the component loader creates objects from components
// (platform/component.h) inside the calling process.
//
// Contract: the runtime is reached the way a managed runtime is hosted, one step at a time, each
// of which can fail:
//   qel::CreateRuntimeInstance(CLSID_RuntimeMetaHost, IID_IRuntimeMetaHost)   -> meta host
//   IRuntimeMetaHost::GetRuntime(kComponentRuntimeVersion, IID_IRuntimeInfo)   -> runtime info
//   IRuntimeInfo::IsLoadable                          -> whether this process can load components
//   IRuntimeInfo::GetInterface(CLSID_RuntimeHost, IID_IRuntimeHost), IRuntimeHost::Start
//   IRuntimeHost::GetDefaultDomain, QueryInterface(IID_IComponentDomain)     -> the domain
// IComponentDomain::CreateInstanceFrom(path, type name) loads the component and creates the
// object; the handle it gives back unwraps to the object as VT_UNKNOWN (VT_EMPTY when the
// factory succeeded without one). The meta host, runtime, host and domain are process-wide and
// stay for the life of the process; counting their references does nothing.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/com.h"

namespace qel {

inline constexpr CLSID CLSID_RuntimeMetaHost = {
    0x9e7f4491, 0xc000, 0x4ec8, {0xb1, 0xcf, 0x13, 0x16, 0xbc, 0x9a, 0x71, 0x01}};
inline constexpr IID IID_IRuntimeMetaHost = {
    0x22b9e8ef, 0x3fb2, 0x49e8, {0x99, 0x69, 0x71, 0x75, 0x96, 0xb9, 0x24, 0xa8}};
inline constexpr IID IID_IRuntimeInfo = {
    0x06166a58, 0x8230, 0x4467, {0x85, 0xd6, 0xbd, 0x29, 0xb9, 0xf5, 0x2d, 0x5f}};
inline constexpr CLSID CLSID_RuntimeHost = {
    0x2bf978f3, 0x20a3, 0x45a6, {0xbd, 0x8f, 0x26, 0xc9, 0x1e, 0x4d, 0x55, 0x6e}};
inline constexpr IID IID_IRuntimeHost = {
    0x3333d58c, 0x167f, 0x4028, {0xbe, 0x00, 0xcc, 0xe8, 0xec, 0xb2, 0x00, 0xbe}};
inline constexpr IID IID_IComponentDomain = {
    0x9a03fc49, 0x27f0, 0x41f9, {0xbb, 0x8c, 0xe5, 0xe8, 0x53, 0x32, 0x28, 0x1b}};
inline constexpr IID IID_IObjectHandle = {
    0x0d410916, 0x9d9f, 0x4bfb, {0xa1, 0xd7, 0x95, 0x98, 0xd2, 0xa5, 0xfc, 0x2f}};

// The one runtime version there is: shared objects of this platform's native code.
inline constexpr wchar_t kComponentRuntimeVersion[] = L"native-1";

struct IRuntimeMetaHost : IUnknown {
  virtual HRESULT GetRuntime(const wchar_t* version, REFIID iid, void** runtime) = 0;
};
struct IRuntimeInfo : IUnknown {
  virtual HRESULT IsLoadable(BOOL* loadable) = 0;
  virtual HRESULT GetInterface(REFCLSID clsid, REFIID iid, void** object) = 0;
};
struct IRuntimeHost : IUnknown {
  virtual HRESULT Start() = 0;
  // Fails until Start succeeded.
  virtual HRESULT GetDefaultDomain(IUnknown** domain) = 0;
};
struct IObjectHandle : IUnknown {
  virtual HRESULT Unwrap(VARIANT* object) = 0;
};
struct IComponentDomain : IUnknown {
  virtual HRESULT CreateInstanceFrom(BSTR path, BSTR typeName, IObjectHandle** handle) = 0;
};

// The runtime's entry point: the meta host for CLSID_RuntimeMetaHost, else
// CLASS_E_CLASSNOTAVAILABLE.
HRESULT CreateRuntimeInstance(REFCLSID clsid, REFIID iid, void** object);

// Replaces the entry point for this process (an empty function restores the real one); returns
// the previous replacement. Lets a caller run without an in-process runtime.
using RuntimeFactory = std::function<HRESULT(REFCLSID, REFIID, void**)>;
RuntimeFactory SetRuntimeFactory(RuntimeFactory factory);

// Loads the component at `path` and asks its factory for an object of `typeName`, passing
// `args`. The failures of LoadModuleSymbol (platform/module.h), else the factory's result; on
// success *object may still be null when the factory gave no object. `detail` receives a
// description of a load failure.
HRESULT CreateComponentObject(const std::string& path, const std::string& typeName,
                              const std::vector<std::string>& args, IUnknown** object,
                              std::string* detail = nullptr);

}  // namespace qel
