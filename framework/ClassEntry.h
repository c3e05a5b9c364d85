// One row of a server module's class table. The table is an array ended by
// a row whose clsid is null; the module's exported entry points read it
// (ServerEntryPoints.h).
#pragma once

#include "platform/Com.h"

namespace nv {

struct ClassEntry {
  const CLSID* clsid;
  // Creates the class's factory and queries it for riid (CoFactory<T>::GetClassObject).
  HRESULT (*getClassObject)(REFIID riid, void** ppv);
  // Registers (flag non-zero) or unregisters (flag 0) the class (RegisterClassAs).
  HRESULT (*registerClass)(BOOL flag);
};

}  // namespace nv
