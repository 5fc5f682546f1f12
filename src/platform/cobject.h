// CObject and its run-time class information: what the suite's serialisable classes derive from.
//
// Contract: every class declared with QEL_DECLARE_SERIAL / defined with QEL_IMPLEMENT_SERIAL has
// one CRuntimeClass record naming it, giving its size and schema, linking to its base class and
// creating a default-constructed object. Records register themselves at start-up, so a class can
// be found by name (CRuntimeClass::FromName) as a stored archive names it. The virtual operations
// of CObject, in slot order, are GetRuntimeClass, the destructor and Serialize.
#pragma once

#include "platform/win_types.h"

class CArchive;
class CObject;

struct CRuntimeClass {
  const char* m_lpszClassName;
  int m_nObjectSize;
  UINT m_wSchema;  // 0xFFFF for classes that cannot be created from an archive
  CObject* (*m_pfnCreateObject)();
  const CRuntimeClass* m_pBaseClass;

  // A new default-constructed object (owned by the caller), or nullptr when the class has none.
  CObject* CreateObject() const;
  // True when this class is `base` or derives from it.
  bool IsDerivedFrom(const CRuntimeClass* base) const;
  // The registered class of that name, or nullptr.
  static const CRuntimeClass* FromName(const char* className);
};

class CObject {
 public:
  static const CRuntimeClass classCObject;

  virtual const CRuntimeClass* GetRuntimeClass() const;
  virtual ~CObject() = default;
  // The base class stores and loads nothing.
  virtual void Serialize(CArchive& ar);

  bool IsKindOf(const CRuntimeClass* cls) const;
  bool IsSerializable() const { return GetRuntimeClass()->m_wSchema != 0xFFFF; }

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

namespace qel {
// Adds a class to the by-name registry; used by QEL_IMPLEMENT_SERIAL.
bool RegisterRuntimeClass(const CRuntimeClass* cls);
}  // namespace qel

#define RUNTIME_CLASS(name) (&name::class##name)

#define QEL_DECLARE_SERIAL(name)                         \
 public:                                                 \
  static const CRuntimeClass class##name;                \
  const CRuntimeClass* GetRuntimeClass() const override; \
  static CObject* CreateObject();

#define QEL_IMPLEMENT_SERIAL(name, base, schema)                                          \
  CObject* name::CreateObject() { return new name; }                                      \
  const CRuntimeClass name::class##name = {#name, static_cast<int>(sizeof(name)), schema, \
                                           &name::CreateObject, RUNTIME_CLASS(base)};     \
  const CRuntimeClass* name::GetRuntimeClass() const { return RUNTIME_CLASS(name); }      \
  static const bool qel_registered_##name = qel::RegisterRuntimeClass(RUNTIME_CLASS(name));
