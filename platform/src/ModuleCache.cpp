#include "ModuleCache.h"

#include "platform/Library.h"

namespace nv::platform {

ModuleCache& ModuleCache::Instance() {
  // Never destroyed: modules stay loaded until the process ends, as servers expect.
  static auto* cache = new ModuleCache();
  return *cache;
}

HRESULT ModuleCache::GetClassObject(const std::string& path, REFCLSID clsid, REFIID riid, void** ppv) {
  std::lock_guard lock(mutex_);
  auto it = modules_.find(path);
  if (it == modules_.end()) {
    HMODULE handle = LoadLibrary(path.c_str());
    if (!handle) return CO_E_DLLNOTFOUND;
    Module module;
    module.handle = handle;
    module.getClassObject = reinterpret_cast<LPFNGETCLASSOBJECT>(GetProcAddress(handle, "DllGetClassObject"));
    module.canUnloadNow = reinterpret_cast<LPFNCANUNLOADNOW>(GetProcAddress(handle, "DllCanUnloadNow"));
    if (!module.getClassObject) {
      FreeLibrary(handle);
      return CO_E_ERRORINDLL;
    }
    it = modules_.emplace(path, module).first;
  }
  return it->second.getClassObject(clsid, riid, ppv);
}

void ModuleCache::FreeUnused() {
  std::lock_guard lock(mutex_);
  for (auto it = modules_.begin(); it != modules_.end();) {
    if (it->second.canUnloadNow && it->second.canUnloadNow() == S_OK) {
      FreeLibrary(it->second.handle);
      it = modules_.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace nv::platform
