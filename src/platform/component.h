// What a component is: a shared object (.so) that creates its objects by type name.
//
// Contract for a component's author:
// - Export, with C linkage, `QelCreateObject` of type QelCreateObjectFn. It creates a new object
//   of the type named by `typeName` (UTF-8, compared as the component likes), hands it back in
//   `*object` holding one reference and returns S_OK. For a type it does not know it returns a
//   failed HRESULT (CLASS_E_CLASSNOTAVAILABLE is the usual one) and leaves `*object` null.
// - `args` holds `argCount` UTF-8 texts that the caller passes to the new object (none for a
//   creation by path and type name; three, possibly empty, for the loader server's five-text
//   creation, whose first two texts are the path and the type name).
// - Objects implement IUnknown (platform/com.h, which is all a component needs to include; it
//   links nothing of qeldbio). An object created by the out-of-process loader server is used
//   through IDispatch only: its other interfaces cannot cross the process boundary. Values that
//   cross are VT_EMPTY, VT_NULL, VT_I4, VT_R8, VT_BOOL, VT_ERROR, VT_BSTR and, as results,
//   objects (VT_UNKNOWN, VT_DISPATCH).
// - The shared object is never unloaded once an object was asked of it; it may be loaded into
//   the calling program or into the server process, so it keeps no state that assumes either.
#pragma once

#include "platform/com.h"

using QelCreateObjectFn = HRESULT (*)(const char* typeName, const char* const* args,
                                      unsigned argCount, IUnknown** object);

// The name the factory is exported under.
inline constexpr char kQelCreateObjectSymbol[] = "QelCreateObject";
