// COruComLoaderClient: objects for the suite's programs, created from components (shared
// objects, platform/component.h) by assembly file name and type name -- in this process by the
// component runtime, or by the loader server process for the assemblies listed in
// sm_setDotNet2Dlls.
//
// Contract:
// - Instance() creates the process-wide client on first use (the calling thread must have
//   initialised COM for the loader server to start) and returns it; it lives until Shutdown(),
//   OruComLoaderClientShutdown() or the end of the process, which release it alike.
// - CreateIUnknown(assembly, type, out, module) looks for the assembly in the folder of `module`
//   (this library's module when null), then in its "x86" sub-folder, then, for a folder named
//   Prog64, in its sibling Prog; either separator counts. Listed assemblies (any letter case) go
//   to the server, the rest are created here while the in-process runtime is available.
// - Results are HRESULTs: S_OK with *out holding one reference; a failure of the runtime, the
//   server or the component's factory as it came; E_UNEXPECTED when the result is not an object;
//   the server's activation failure when there is no server. Out of memory while making the
//   request's strings raises _com_error(E_OUTOFMEMORY).
// - Releasing the server at the end is guarded: it is released only while COM is still
//   initialised on the calling thread, and otherwise dropped, as a released proxy must not
//   outlive the thread's COM.
#pragma once

#include <set>
#include <string>

#include "platform/com.h"
#include "platform/component_runtime.h"
#include "platform/local_server.h"
#include "platform/module.h"

// Orders wide names character by character through towlower: the first difference decides,
// a shorter prefix comes first.
struct ci_wless {
  bool operator()(const std::wstring& a, const std::wstring& b) const;
};

class COruComLoaderClient {
 public:
  // Holds the process-wide instance; releases it as Shutdown does when the process ends.
  class ManagedChildren {
   public:
    ManagedChildren() = default;
    ~ManagedChildren();
    ManagedChildren(const ManagedChildren&) = delete;
    ManagedChildren& operator=(const ManagedChildren&) = delete;
    COruComLoaderClient* m_pInstance = nullptr;
  };

  // Assembly file names that need the loader server; the suite's programs fill it.
  static std::set<std::wstring, ci_wless> sm_setDotNet2Dlls;
  static ManagedChildren sm_oManagedChildren;

  static COruComLoaderClient* Instance();
  static void Shutdown();
  static bool IsDotNet2Dll(wchar_t* name);

  long CreateIUnknown(wchar_t* assembly, wchar_t* typeName, IUnknown** out, HINSTANCE module);
  long CreateIUnknown(wchar_t* a1, wchar_t* a2, wchar_t* a3, wchar_t* a4, wchar_t* a5,
                      IUnknown** out);

  COruComLoaderClient(const COruComLoaderClient&) = delete;
  COruComLoaderClient& operator=(const COruComLoaderClient&) = delete;

 private:
  // The in-process runtime as far as its construction got: each step needs the one before.
  struct RuntimeHost {
    RuntimeHost();
    ~RuntimeHost();
    qel::IRuntimeMetaHost* m_pMetaHost = nullptr;
    qel::IRuntimeInfo* m_pRuntimeInfo = nullptr;
    qel::IRuntimeHost* m_pRuntimeHost = nullptr;
    qel::IComponentDomain* m_pDomain = nullptr;
  };

  COruComLoaderClient();
  ~COruComLoaderClient();
  void ReleaseLoader();
  static void ReleaseInstance(ManagedChildren& holder);
  long FromLoaderResult(HRESULT hr, VARIANT& result, IUnknown** out);

  IOruComLoader* m_pLoader = nullptr;
  RuntimeHost m_runtimeHost;
  HRESULT m_hrLoader = E_FAIL;  // why there is no loader, when there is none
};

void OruComLoaderClientShutdown();

namespace qel {

// The folder an assembly is taken from: `folder` (which ends in a separator) when the assembly
// is there; else its "x86\" sub-folder when the assembly is there; else, for a folder ending in
// "\Prog64\" (any case, either separator), its sibling "...\Prog\"; else `folder`.
std::wstring AssemblyFolder(const std::wstring& folder, const std::wstring& assembly);

}  // namespace qel
