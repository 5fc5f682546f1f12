#include "platform/com.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "com_support.h"
#include "platform/local_server.h"
#include "platform/module.h"
#include "test_support.h"

namespace {

// Counts its references; never frees itself (it lives on the test's stack).
class Probe final : public IUnknown {
 public:
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
  ULONG refs = 1;
};

TEST(Bstr, CountsItsLengthAndMayHoldNuls) {
  const wchar_t text[] = L"a\0b\u00e9";
  BSTR s = SysAllocStringLen(text, 4);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringLen(s), 4u);
  EXPECT_EQ(SysStringByteLen(s), 4u * sizeof(wchar_t));
  EXPECT_EQ(s[4], L'\0');
  EXPECT_EQ(qel::BstrText(s), std::wstring(text, 4));
  SysFreeString(s);

  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(qel::BstrText(nullptr), L"");
  SysFreeString(nullptr);
  // A length whose byte count does not fit the prefix is refused, not wrapped around.
  EXPECT_EQ(SysAllocStringLen(nullptr, 0x40000000u), nullptr);
}

TEST(Variant, CopyAndClearOwnWhatTheValueHolds) {
  Probe probe;
  VARIANT a, b;
  VariantInit(&a);
  VariantInit(&b);
  a.vt = VT_UNKNOWN;
  a.punkVal = &probe;
  probe.AddRef();
  ASSERT_EQ(VariantCopy(&b, &a), S_OK);
  EXPECT_EQ(probe.refs, 3u);
  VariantClear(&a);
  VariantClear(&b);
  EXPECT_EQ(probe.refs, 1u);
  EXPECT_EQ(a.vt, VT_EMPTY);

  a.vt = VT_BSTR;
  a.bstrVal = SysAllocString(L"text");
  ASSERT_EQ(VariantCopy(&b, &a), S_OK);
  EXPECT_NE(b.bstrVal, a.bstrVal);
  VariantClear(&a);  // the copy is its own
  EXPECT_EQ(qel::BstrText(b.bstrVal), L"text");
  VariantClear(&b);
}

TEST(CoInitializeEx, CountsPerThreadAndRefusesTheOtherModel) {
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
  HRESULT other = E_FAIL;
  std::thread([&] {
    other = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CoUninitialize();
  }).join();
  EXPECT_EQ(other, S_OK);
  CoUninitialize();
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
  CoUninitialize();
  CoUninitialize();
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  CoUninitialize();
}

TEST(ComError, DescribesCodesAsComDoes) {
  EXPECT_STREQ(_com_error(E_UNEXPECTED).ErrorMessage(), "Catastrophic failure");
  EXPECT_STREQ(_com_error(static_cast<HRESULT>(0x80040205u)).ErrorMessage(), "IDispatch error #5");
  EXPECT_STREQ(_com_error(static_cast<HRESULT>(0x80041234u)).ErrorMessage(),
               "IDispatch error #4148");
  EXPECT_STREQ(_com_error(static_cast<HRESULT>(0x800401FFu)).ErrorMessage(),
               "Unknown error 0x800401FF");
  EXPECT_STREQ(_com_error(static_cast<HRESULT>(0x8000ABCDu)).ErrorMessage(),
               "Unknown error 0x8000ABCD");
  try {
    const qel::Bstr fine(L"x");
    _com_issue_error(E_OUTOFMEMORY);
    ADD_FAILURE() << "no exception";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), E_OUTOFMEMORY);
  }
}

TEST(Module, FileNamesOfTheProgramAndOfLoadedObjects) {
  const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
  char name[MAX_PATH];
  ASSERT_EQ(GetModuleFileNameA(nullptr, name, MAX_PATH), exe.size());
  EXPECT_EQ(name, exe);
  // The library is linked into this program, so its module is the program.
  EXPECT_EQ(qel::ModuleFileName(qel::ThisModule()), exe);
  // Too small a buffer: cut, terminated, and the size returned.
  char small[5];
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), 5u);
  EXPECT_EQ(std::string(small), exe.substr(0, 4));
  // An address inside a module is not its handle.
  const auto inside = reinterpret_cast<HMODULE>(reinterpret_cast<char*>(qel::ThisModule()) + 16);
  EXPECT_EQ(GetModuleFileNameA(inside, name, MAX_PATH), 0u);

  qeltest::TempDir dir;
  const std::string copy = dir.File("sub\\component.so");  // either separator
  std::filesystem::create_directory(dir.path() / "sub");
  std::filesystem::copy_file(QELDB_MINIMAL_COMPONENT, dir.File("sub/component.so"));
  const HMODULE module = LoadLibraryA(copy.c_str());
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(qel::ModuleFileName(module), dir.File("sub/component.so"));
  EXPECT_EQ(LoadLibraryA(dir.File("missing.so").c_str()), nullptr);
}

TEST(Module, LoadFailuresAreTold) {
  qeltest::TempDir dir;
  void* entry = nullptr;
  std::string detail;
  // (A missing file and one that is no shared object are the loader client's tests.)
  qeltest::WriteBytes(dir.File("cut.so"), {0x7F, 'E', 'L', 'F', 2, 1, 1});
  EXPECT_EQ(qel::LoadModuleSymbol(dir.File("cut.so"), "QelCreateObject", &entry, &detail),
            HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
  EXPECT_FALSE(detail.empty());
  EXPECT_EQ(qel::LoadModuleSymbol(QELDB_MINIMAL_COMPONENT, "NoSuchEntry", &entry),
            HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(entry, nullptr);
  EXPECT_EQ(qel::LoadModuleSymbol(QELDB_MINIMAL_COMPONENT, "QelCreateObject", &entry), S_OK);
  EXPECT_NE(entry, nullptr);
}

TEST(CoCreateInstance, OnlyTheLoaderServer) {
  void* p = nullptr;
  qeltest::ComScope com;
  EXPECT_EQ(CoCreateInstance(IID_IUnknown, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, &p),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CoCreateInstance(CLSID_OruComLoader, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &p),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(p, nullptr);
}

}  // namespace
