// The logic of a server module's four exports, over its class table. A module
// defines its table and forwards its extern "C" exports to these:
//   DllGetClassObject   -> GetClassObjectFrom(table, ...)
//   DllCanUnloadNow     -> CanUnloadModule()
//   DllRegisterServer   -> RegisterClasses(table, TRUE)
//   DllUnregisterServer -> RegisterClasses(table, FALSE)
#pragma once

#include "ClassEntry.h"
#include "platform/Com.h"

// Gives an export of a server module default visibility and C linkage.
#define NV_SERVER_EXPORT extern "C" __attribute__((visibility("default")))

namespace nv {

// Finds rclsid in table and returns its factory queried for riid.
// CLASS_E_CLASSNOTAVAILABLE for a class not in the table (*ppv null),
// E_POINTER for a null ppv, else the row's result.
HRESULT GetClassObjectFrom(const ClassEntry* table, REFCLSID rclsid, REFIID riid, void** ppv);

// S_FALSE while a factory, an object or a server lock of this module exists, else S_OK.
HRESULT CanUnloadModule();

// Calls every row's registration function with flag, in table order, and
// returns the first failure, or S_OK when all succeed (an empty table too).
HRESULT RegisterClasses(const ClassEntry* table, BOOL flag);

}  // namespace nv
