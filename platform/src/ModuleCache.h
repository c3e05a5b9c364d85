// The in-process servers loaded by the component runtime: each module is
// loaded once per process and stays loaded until CoFreeUnusedLibraries finds
// that its DllCanUnloadNow answers S_OK.
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "platform/Com.h"

namespace nv::platform {

class ModuleCache {
 public:
  static ModuleCache& Instance();

  // Loads the module at path (once) and asks its DllGetClassObject for the
  // class object. CO_E_DLLNOTFOUND when it does not load, CO_E_ERRORINDLL
  // when it lacks the export, else the export's result.
  HRESULT GetClassObject(const std::string& path, REFCLSID clsid, REFIID riid, void** ppv);
  // Unloads every module whose DllCanUnloadNow answers S_OK.
  void FreeUnused();

 private:
  struct Module {
    HMODULE handle = nullptr;
    LPFNGETCLASSOBJECT getClassObject = nullptr;
    LPFNCANUNLOADNOW canUnloadNow = nullptr;  // null: never unloaded
  };

  // Held while a module's exports run, so a module is never unloaded between
  // lookup and call; recursive because a server may create objects of another.
  std::recursive_mutex mutex_;
  std::map<std::string, Module> modules_;  // by the path as registered
};

}  // namespace nv::platform
