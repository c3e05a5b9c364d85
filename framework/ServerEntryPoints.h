// The logic of a server module's four exports, over its class table. A module
// defines its table and then NV_SERVER_EXPORTS(table) once, which defines
// its extern "C" exports over these:
//   DllGetClassObject   -> GetClassObjectFrom(table, ...)
//   DllCanUnloadNow     -> CanUnloadModule()
//   DllRegisterServer   -> RegisterClasses(table, TRUE)
//   DllUnregisterServer -> RegisterClasses(table, FALSE)
#pragma once

#include "ClassEntry.h"
#include "platform/Com.h"

// Gives an export of a server module default visibility and C linkage.
#define NV_SERVER_EXPORT extern "C" __attribute__((visibility("default")))

// The four exports of a server module over its class table.
#define NV_SERVER_EXPORTS(table)                                                  \
  NV_SERVER_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) { \
    return nv::GetClassObjectFrom(table, rclsid, riid, ppv);                      \
  }                                                                               \
  NV_SERVER_EXPORT HRESULT DllCanUnloadNow() {                                    \
    return nv::CanUnloadModule();                                                 \
  }                                                                               \
  NV_SERVER_EXPORT HRESULT DllRegisterServer() {                                  \
    return nv::RegisterClasses(table, TRUE);                                      \
  }                                                                               \
  NV_SERVER_EXPORT HRESULT DllUnregisterServer() {                                \
    return nv::RegisterClasses(table, FALSE);                                     \
  }

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
