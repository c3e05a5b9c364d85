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

NV_SERVER_EXPORTS(classTable)
