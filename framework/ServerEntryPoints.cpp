#include "ServerEntryPoints.h"

#include "ModuleCounts.h"
#include "platform/Kernel.h"

namespace nv {

HRESULT GetClassObjectFrom(const ClassEntry* table, REFCLSID rclsid, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  for (const ClassEntry* row = table; row->clsid != nullptr; ++row) {
    if (IsEqualCLSID(*row->clsid, rclsid)) return row->getClassObject(riid, ppv);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CanUnloadModule() {
  return InterlockedRead(&objectCount) != 0 || InterlockedRead(&lockCount) != 0 ? S_FALSE : S_OK;
}

HRESULT RegisterClasses(const ClassEntry* table, BOOL flag) {
  // Every row is tried even after a failure, so one broken class does not keep
  // the others unregistered; the caller still learns that something failed.
  HRESULT result = S_OK;
  for (const ClassEntry* row = table; row->clsid != nullptr; ++row) {
    const HRESULT hr = row->registerClass(flag);
    if (FAILED(hr) && SUCCEEDED(result)) result = hr;
  }
  return result;
}

}  // namespace nv
