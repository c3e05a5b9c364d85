// Sonvox's class table and the module's four exports.
#include "CMelody.h"
#include "CNote.h"
#include "CSample.h"
#include "ClassRegistration.h"
#include "CoFactory.h"
#include "ServerEntryPoints.h"
#include "sonvox/Sonvox.h"

namespace {

using nv::ClassEntry;
using nv::CoFactory;
using nv::RegisterClassAs;

// In registration order: Sample, Note, Melody.
const ClassEntry classTable[] = {
    {&CLSID_Sample, &CoFactory<nv::CSample>::GetClassObject, &RegisterClassAs<CLSID_Sample, nv::CSample::progId>},
    {&CLSID_Note, &CoFactory<nv::CNote>::GetClassObject, &RegisterClassAs<CLSID_Note, nv::CNote::progId>},
    {&CLSID_Melody, &CoFactory<nv::CMelody>::GetClassObject, &RegisterClassAs<CLSID_Melody, nv::CMelody::progId>},
    {nullptr, nullptr, nullptr},
};

}  // namespace

NV_SERVER_EXPORTS(classTable)
