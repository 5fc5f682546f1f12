// A component with one type, "Counter", usable through ICounter and through IDispatch:
//   Add(n) -> value   Value() -> value   Live() -> counters alive in this process
//   Pid() -> this process   Echo(text) -> text   Spawn() -> a new counter
//   Sleep(ms)   Exit() ends the process at once (a server dying mid-call)
// The first creation argument, when given, is the starting value.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cwchar>
#include <string_view>
#include <thread>

#include "counter.h"
#include "platform/component.h"

namespace {

std::atomic<LONG> g_live{0};

enum : DISPID { kAdd = 1, kValue, kLive, kPid, kEcho, kSpawn, kSleep, kExit };
constexpr struct {
  const wchar_t* name;
  DISPID id;
} kMethods[] = {{L"Add", kAdd},   {L"Value", kValue}, {L"Live", kLive},   {L"Pid", kPid},
                {L"Echo", kEcho}, {L"Spawn", kSpawn}, {L"Sleep", kSleep}, {L"Exit", kExit}};

class Counter final : public ICounter, public IDispatch {
 public:
  explicit Counter(LONG start) : value_(start) { ++g_live; }
  ~Counter() { --g_live; }

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_ICounter)
      *object = static_cast<ICounter*>(this);
    else if (iid == IID_IDispatch)
      *object = static_cast<IDispatch*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  LONG Add(LONG n) override { return value_ += n; }
  LONG Value() override { return value_; }

  HRESULT GetIDOfName(const OLECHAR* name, DISPID* id) override {
    for (const auto& m : kMethods)
      if (std::wcscmp(m.name, name) == 0) {
        *id = m.id;
        return S_OK;
      }
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT Invoke(DISPID id, const VARIANT* args, UINT count, VARIANT* result) override {
    const UINT wanted = (id == kAdd || id == kEcho || id == kSleep) ? 1 : 0;
    if (id < kAdd || id > kExit) return DISP_E_MEMBERNOTFOUND;
    if (count != wanted) return DISP_E_BADPARAMCOUNT;
    if (!result) return E_POINTER;
    VariantInit(result);
    result->vt = VT_I4;
    switch (id) {
      case kAdd:
        if (args[0].vt != VT_I4) return DISP_E_TYPEMISMATCH;
        result->lVal = Add(args[0].lVal);
        break;
      case kValue:
        result->lVal = value_;
        break;
      case kLive:
        result->lVal = g_live;
        break;
      case kPid:
        result->lVal = static_cast<LONG>(getpid());
        break;
      case kEcho:
        return VariantCopy(result, &args[0]);
      case kSpawn:
        result->vt = VT_DISPATCH;
        result->pdispVal = new Counter(0);
        break;
      case kSleep:
        std::this_thread::sleep_for(std::chrono::milliseconds(args[0].lVal));
        break;
      case kExit:
        _exit(3);
    }
    return S_OK;
  }

 private:
  std::atomic<ULONG> refs_{1};
  LONG value_;
};

}  // namespace

extern "C" HRESULT QelCreateObject(const char* typeName, const char* const* args, unsigned argCount,
                                   IUnknown** object) {
  *object = nullptr;
  if (std::string_view(typeName) != "Counter") return CLASS_E_CLASSNOTAVAILABLE;
  const LONG start = argCount > 0 ? std::strtol(args[0], nullptr, 10) : 0;
  *object = static_cast<ICounter*>(new Counter(start));
  return S_OK;
}
