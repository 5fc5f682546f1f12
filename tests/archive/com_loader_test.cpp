#include <gtest/gtest.h>

#include <filesystem>

#include "archive/com_loader_client.h"
#include "com_support.h"
#include "components/counter.h"
#include "platform/child_process.h"
#include "platform/paths.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace qeltest;

// Each test: components laid out under a temporary folder, COM up on the test's thread, the
// real loader server, and the process-wide client shut down again at the end.
class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qel::SetLoaderServerPath(std::string(QELDB_LOADER_PATH));
    COruComLoaderClient::sm_setDotNet2Dlls = {L"REMOTE.so"};
  }
  void TearDown() override {
    COruComLoaderClient::Shutdown();
    COruComLoaderClient::sm_setDotNet2Dlls.clear();
    qel::SetLoaderServerPath(std::nullopt);
    qel::SetLoaderTimeouts(10000, 60000);
    qel::SetRuntimeFactory({});
  }

  // Copies `component` to `relative` under the temporary folder.
  void Place(const char* component, const std::string& relative) {
    const fs::path to = dir.path() / relative;
    fs::create_directories(to.parent_path());
    fs::copy_file(component, to);
  }
  // A module loaded from `folder` under the temporary folder: the folder assemblies are
  // looked for in.
  HMODULE ModuleIn(const std::string& folder) {
    Place(QELDB_MINIMAL_COMPONENT, folder + "/module.so");
    return LoadLibraryA((dir.path() / folder / "module.so").c_str());
  }
  long Create(const wchar_t* assembly, const wchar_t* type, IUnknown** out, HMODULE module) {
    return COruComLoaderClient::Instance()->CreateIUnknown(const_cast<wchar_t*>(assembly),
                                                           const_cast<wchar_t*>(type), out, module);
  }
  static bool InThisProcess(IUnknown* counter) {
    return CallI4(counter, L"Pid") == static_cast<LONG>(qel::CurrentProcessId());
  }

  TempDir dir;
  ComScope com;
};

TEST(CiWless, OrdersWithoutCaseAndShorterFirst) {
  const ci_wless less;
  EXPECT_TRUE(less(L"abc", L"ABD"));
  EXPECT_FALSE(less(L"ABC", L"abc"));
  EXPECT_FALSE(less(L"abc", L"ABC"));
  EXPECT_TRUE(less(L"AB", L"abc"));
  EXPECT_FALSE(less(L"abc", L"AB"));
  EXPECT_TRUE(less(L"a_", L"ab"));  // '_' sorts before 'b' but after 'B'
  COruComLoaderClient::sm_setDotNet2Dlls = {L"Old.Tools.dll"};
  wchar_t shorter[] = L"Old.Tools.dl";
  EXPECT_FALSE(COruComLoaderClient::IsDotNet2Dll(shorter));
  EXPECT_FALSE(COruComLoaderClient::IsDotNet2Dll(nullptr));
  COruComLoaderClient::sm_setDotNet2Dlls.clear();
}

TEST_F(LoaderTest, CreatesUnlistedAssembliesInThisProcess) {
  const HMODULE module = ModuleIn("app");
  ASSERT_NE(module, nullptr);
  Place(QELDB_COUNTER_COMPONENT, "app/Counter.so");
  Place(QELDB_MINIMAL_COMPONENT, "app/Minimal.so");
  WriteText(dir.File("app/Text.so"), "text");

  IUnknown* object = nullptr;
  ASSERT_EQ(Create(L"Counter.so", L"Counter", &object, module), S_OK);
  EXPECT_TRUE(InThisProcess(object));
  ICounter* counter = nullptr;
  ASSERT_EQ(object->QueryInterface(IID_ICounter, reinterpret_cast<void**>(&counter)), S_OK);
  EXPECT_EQ(counter->Add(2), 2);
  EXPECT_EQ(CallI4(object, L"Add", {I4(3)}), 5);
  EXPECT_EQ(counter->Value(), 5);
  counter->Release();
  object->Release();

  EXPECT_EQ(Create(L"Counter.so", L"NoSuchType", &object, module), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(Create(L"Minimal.so", L"Nothing", &object, module), E_UNEXPECTED);
  EXPECT_EQ(Create(L"Missing.so", L"Counter", &object, module),
            HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Create(L"Text.so", L"Counter", &object, module),
            HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT));
  ASSERT_EQ(Create(L"Minimal.so", L"Plain", &object, module), S_OK);
  void* other = nullptr;
  EXPECT_EQ(object->QueryInterface(IID_IDispatch, &other), E_NOINTERFACE);
  object->Release();
  EXPECT_EQ(Create(nullptr, L"Plain", &object, module), E_INVALIDARG);
  EXPECT_EQ(Create(L"Minimal.so", L"Plain", nullptr, module), E_POINTER);
}

TEST_F(LoaderTest, ListedAssembliesAreCreatedByTheServer) {
  const HMODULE module = ModuleIn("app");
  Place(QELDB_COUNTER_COMPONENT, "app/remote.so");
  Place(QELDB_MINIMAL_COMPONENT, "app/Minimal.so");
  COruComLoaderClient::sm_setDotNet2Dlls.insert(L"minimal.SO");

  IUnknown* first = nullptr;
  IUnknown* second = nullptr;
  ASSERT_EQ(Create(L"remote.so", L"Counter", &first, module), S_OK);
  ASSERT_EQ(Create(L"remote.so", L"Counter", &second, module), S_OK);
  EXPECT_FALSE(InThisProcess(first));
  void* native = nullptr;
  EXPECT_EQ(first->QueryInterface(IID_ICounter, &native), E_NOINTERFACE);
  EXPECT_EQ(CallI4(first, L"Add", {I4(5)}), 5);
  EXPECT_EQ(CallI4(first, L"Add", {I4(-7)}), -2);
  EXPECT_EQ(CallI4(second, L"Value"), 0);
  EXPECT_EQ(CallI4(second, L"Live"), 2);
  first->Release();  // ends the remote object
  EXPECT_EQ(CallI4(second, L"Live"), 1);

  VARIANT text = I4(0), echoed;
  text.vt = VT_BSTR;
  const wchar_t kText[] = L"Gr\u00fc\u00dfe\0!";
  text.bstrVal = SysAllocStringLen(kText, 7);
  ASSERT_EQ(CallMethod(second, L"Echo", {text}, &echoed), S_OK);
  EXPECT_EQ(qel::BstrText(echoed.bstrVal), std::wstring(kText, 7));
  VariantClear(&text);
  VariantClear(&echoed);
  EXPECT_EQ(CallMethod(second, L"Add"), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(CallMethod(second, L"Frobnicate"), DISP_E_UNKNOWNNAME);

  // An object handed back by a call is an object of the server too.
  VARIANT spawned;
  ASSERT_EQ(CallMethod(second, L"Spawn", {}, &spawned), S_OK);
  ASSERT_EQ(spawned.vt, VT_UNKNOWN);
  EXPECT_EQ(CallI4(spawned.punkVal, L"Live"), 2);
  VariantClear(&spawned);
  EXPECT_EQ(CallI4(second, L"Live"), 1);

  IUnknown* object = nullptr;
  EXPECT_EQ(Create(L"remote.so", L"NoSuchType", &object, module), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(Create(L"Minimal.so", L"Nothing", &object, module), E_UNEXPECTED);
  EXPECT_EQ(Create(L"REMOTE.so", L"Counter", &object, module),
            HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));  // listed, but no such file
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(CallI4(second, L"Value"), 0);  // failures left the server serving
  second->Release();

  // The five-text form: path, type, and the object's arguments.
  std::wstring path = qel::Utf8ToWide(dir.File("app/remote.so"));
  wchar_t counterType[] = L"Counter", start[] = L"41", empty[] = L"";
  auto* client = COruComLoaderClient::Instance();
  ASSERT_EQ(client->CreateIUnknown(path.data(), counterType, start, empty, nullptr, &object), S_OK);
  EXPECT_EQ(CallI4(object, L"Add", {I4(1)}), 42);
  object->Release();
  wchar_t nothing[] = L"Nothing";
  path = qel::Utf8ToWide(dir.File("app/Minimal.so"));
  EXPECT_EQ(client->CreateIUnknown(path.data(), nothing, empty, empty, empty, &object),
            E_UNEXPECTED);
}

TEST_F(LoaderTest, WithoutTheInProcessRuntimeEverythingGoesToTheServer) {
  qel::SetRuntimeFactory([](REFCLSID, REFIID, void** out) {
    *out = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
  });
  const HMODULE module = ModuleIn("app");
  Place(QELDB_COUNTER_COMPONENT, "app/Counter.so");
  IUnknown* object = nullptr;
  ASSERT_EQ(Create(L"Counter.so", L"Counter", &object, module), S_OK);
  EXPECT_FALSE(InThisProcess(object));
  object->Release();
}

TEST_F(LoaderTest, AServerThatCannotStartGivesFailedResults) {
  const HMODULE module = ModuleIn("app");
  Place(QELDB_COUNTER_COMPONENT, "app/remote.so");
  Place(QELDB_COUNTER_COMPONENT, "app/local.so");
  WriteText(dir.File("hangs.sh"), "#!/bin/sh\nexec sleep 30\n");
  fs::permissions(dir.File("hangs.sh"), fs::perms::owner_all);
  qel::SetLoaderTimeouts(300, 300);
  const int before = qel::LiveLoaderServers();
  const std::string servers[] = {dir.File("no-such-server"), dir.File("app"), "/bin/true",
                                 dir.File("hangs.sh")};
  for (const std::string& server : servers) {
    qel::SetLoaderServerPath(server);
    IUnknown* object = nullptr;
    EXPECT_EQ(Create(L"remote.so", L"Counter", &object, module), CO_E_SERVER_EXEC_FAILURE)
        << server;
    wchar_t a[] = L"x";
    EXPECT_EQ(COruComLoaderClient::Instance()->CreateIUnknown(a, a, a, a, a, &object),
              CO_E_SERVER_EXEC_FAILURE);
    EXPECT_EQ(object, nullptr);
    ASSERT_EQ(Create(L"local.so", L"Counter", &object, module), S_OK);  // still in-process
    object->Release();
    COruComLoaderClient::Shutdown();
  }
  EXPECT_EQ(qel::LiveLoaderServers(), before);

  // Without COM on the thread there is no server either.
  qel::SetLoaderServerPath(std::string(QELDB_LOADER_PATH));
  CoUninitialize();
  IUnknown* object = nullptr;
  EXPECT_EQ(Create(L"remote.so", L"Counter", &object, module), CO_E_NOTINITIALIZED);
  COruComLoaderClient::Shutdown();
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
}

TEST_F(LoaderTest, AServerThatDiesOrHangsMidCallGivesFailedResults) {
  const HMODULE module = ModuleIn("app");
  Place(QELDB_COUNTER_COMPONENT, "app/remote.so");
  IUnknown* counter = nullptr;
  ASSERT_EQ(Create(L"remote.so", L"Counter", &counter, module), S_OK);
  EXPECT_EQ(CallMethod(counter, L"Exit"), RPC_E_DISCONNECTED);
  EXPECT_EQ(CallI4(counter, L"Value"), std::nullopt);
  IUnknown* object = nullptr;
  EXPECT_EQ(Create(L"remote.so", L"Counter", &object, module), RPC_E_DISCONNECTED);
  counter->Release();
  COruComLoaderClient::Shutdown();

  qel::SetLoaderTimeouts(20000, 300);
  ASSERT_EQ(Create(L"remote.so", L"Counter", &counter, module), S_OK);
  EXPECT_EQ(CallMethod(counter, L"Sleep", {I4(30000)}), RPC_E_TIMEOUT);
  EXPECT_EQ(CallMethod(counter, L"Value"), RPC_E_DISCONNECTED);
  counter->Release();
}

TEST_F(LoaderTest, AssembliesAreFoundBesideTheModuleInX86OrInProg) {
  IUnknown* object = nullptr;
  // Only in the x86 sub-folder.
  HMODULE module = ModuleIn("a");
  Place(QELDB_COUNTER_COMPONENT, "a/x86/Comp.so");
  EXPECT_EQ(Create(L"Comp.so", L"Counter", &object, module), S_OK);
  if (object) object->Release();
  // Beside the module first: there the assembly is the minimal one, without counters.
  module = ModuleIn("b");
  Place(QELDB_MINIMAL_COMPONENT, "b/Comp.so");
  Place(QELDB_COUNTER_COMPONENT, "b/x86/Comp.so");
  EXPECT_EQ(Create(L"Comp.so", L"Counter", &object, module), CLASS_E_CLASSNOTAVAILABLE);
  // A module in Prog64 (any case) finds the assembly in the sibling folder without the 64 (the
  // same letters: file names are case-sensitive here), through either route.
  module = ModuleIn("c/pRoG64");
  Place(QELDB_COUNTER_COMPONENT, "c/pRoG/Comp.so");
  Place(QELDB_COUNTER_COMPONENT, "c/pRoG/remote.so");
  EXPECT_EQ(Create(L"Comp.so", L"Counter", &object, module), S_OK);
  if (object) object->Release();
  ASSERT_EQ(Create(L"remote.so", L"Counter", &object, module), S_OK);
  EXPECT_FALSE(InThisProcess(object));
  object->Release();
  // x86 comes before Prog.
  module = ModuleIn("d/Prog64");
  Place(QELDB_COUNTER_COMPONENT, "d/Prog64/x86/Comp.so");
  Place(QELDB_MINIMAL_COMPONENT, "d/Prog/Comp.so");
  EXPECT_EQ(Create(L"Comp.so", L"Counter", &object, module), S_OK);
  if (object) object->Release();
  // Only a folder named exactly Prog64 has a sibling to fall back on.
  module = ModuleIn("e/Prog64x");
  Place(QELDB_COUNTER_COMPONENT, "e/Prog/Comp.so");
  EXPECT_EQ(Create(L"Comp.so", L"Counter", &object, module),
            HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));

  // Suite-style folders with backslashes.
  EXPECT_EQ(qel::AssemblyFolder(L"C:\\Suite\\PROG64\\", L"x.dll"), L"C:\\Suite\\PROG\\");
  EXPECT_EQ(qel::AssemblyFolder(L"C:\\Suite\\Prog64/", L"x.dll"), L"C:\\Suite\\Prog\\");
  EXPECT_EQ(qel::AssemblyFolder(L"C:\\Suite\\Bin\\", L"x.dll"), L"C:\\Suite\\Bin\\");
  EXPECT_EQ(qel::AssemblyFolder(L"Prog64\\", L"x.dll"), L"Prog64\\");
}

TEST_F(LoaderTest, ShutdownReleasesTheServerOnlyWhileComIsUp) {
  const HMODULE module = ModuleIn("app");
  Place(QELDB_COUNTER_COMPONENT, "app/remote.so");
  const int before = qel::LiveLoaderServers();
  COruComLoaderClient::Instance();
  EXPECT_EQ(qel::LiveLoaderServers(), before + 1);
  COruComLoaderClient::Shutdown();
  EXPECT_EQ(COruComLoaderClient::sm_oManagedChildren.m_pInstance, nullptr);
  EXPECT_EQ(qel::LiveLoaderServers(), before);
  COruComLoaderClient::Shutdown();  // no instance: nothing happens

  // Objects keep their server after the loader is released.
  IUnknown* counter = nullptr;
  ASSERT_EQ(Create(L"remote.so", L"Counter", &counter, module), S_OK);
  OruComLoaderClientShutdown();
  EXPECT_EQ(CallI4(counter, L"Add", {I4(4)}), 4);
  EXPECT_EQ(qel::LiveLoaderServers(), before + 1);
  counter->Release();
  EXPECT_EQ(qel::LiveLoaderServers(), before);

  // With COM torn down on this thread the loader is dropped unreleased: its server stays until
  // the process ends.
  COruComLoaderClient::Instance();
  CoUninitialize();
  OruComLoaderClientShutdown();
  EXPECT_EQ(COruComLoaderClient::sm_oManagedChildren.m_pInstance, nullptr);
  EXPECT_EQ(qel::LiveLoaderServers(), before + 1);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
}

}  // namespace
