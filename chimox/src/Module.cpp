// Chimox's class table and the module's four exports.
#include "CBell.h"
#include "ClassRegistration.h"
#include "CoFactory.h"
#include "ServerEntryPoints.h"
#include "chimox/Chimox.h"

namespace {

const nv::ClassEntry classTable[] = {
    {&CLSID_Bell, &nv::CoFactory<chimox::CBell>::GetClassObject,
     &nv::RegisterClassAs<CLSID_Bell, chimox::CBell::progId>},
    {nullptr, nullptr, nullptr},
};

}  // namespace

NV_SERVER_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
  return nv::GetClassObjectFrom(classTable, rclsid, riid, ppv);
}

NV_SERVER_EXPORT HRESULT DllCanUnloadNow() {
  return nv::CanUnloadModule();
}

NV_SERVER_EXPORT HRESULT DllRegisterServer() {
  return nv::RegisterClasses(classTable, TRUE);
}

NV_SERVER_EXPORT HRESULT DllUnregisterServer() {
  return nv::RegisterClasses(classTable, FALSE);
}
