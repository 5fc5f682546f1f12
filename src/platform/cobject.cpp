#include "platform/cobject.h"

#include <cstring>
#include <mutex>
#include <vector>

namespace {

std::mutex& RegistryLock() {
  static std::mutex m;
  return m;
}

std::vector<const CRuntimeClass*>& Registry() {
  static std::vector<const CRuntimeClass*> classes;
  return classes;
}

}  // namespace

const CRuntimeClass CObject::classCObject = {"CObject", static_cast<int>(sizeof(CObject)), 0xFFFF,
                                             nullptr, nullptr};

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

void CObject::Serialize(CArchive&) {}

bool CObject::IsKindOf(const CRuntimeClass* cls) const {
  return GetRuntimeClass()->IsDerivedFrom(cls);
}

CObject* CRuntimeClass::CreateObject() const {
  return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
  for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
    if (c == base) return true;
  return false;
}

const CRuntimeClass* CRuntimeClass::FromName(const char* className) {
  if (!className) return nullptr;
  if (std::strcmp(className, CObject::classCObject.m_lpszClassName) == 0)
    return &CObject::classCObject;
  std::lock_guard<std::mutex> lock(RegistryLock());
  for (const CRuntimeClass* c : Registry())
    if (std::strcmp(c->m_lpszClassName, className) == 0) return c;
  return nullptr;
}

namespace qel {

bool RegisterRuntimeClass(const CRuntimeClass* cls) {
  std::lock_guard<std::mutex> lock(RegistryLock());
  Registry().push_back(cls);
  return true;
}

}  // namespace qel
