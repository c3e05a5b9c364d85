// Registration of one component class under HKEY_CLASSES_ROOT:
//   <ProgID>\CLSID                      @ = "{CLSID}"
//   CLSID\{CLSID}                       @ = "<ProgID>"
//   CLSID\{CLSID}\InprocServer32        @ = full path of this module,
//                                       "ThreadingModel" = "Free"
// and nothing else.
#pragma once

#include <string>

#include "platform/Com.h"

namespace nv {

// The 38-character braced upper-case form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
std::string FormatClassId(REFCLSID clsid);

// flag non-zero: creates the keys above (existing ones are overwritten);
// flag 0: deletes <ProgID>\CLSID, <ProgID>, CLSID\{..}\InprocServer32 and
// CLSID\{..} in that order, stopping at the first that fails.
// Returns S_OK, or E_UNEXPECTED when a step fails (keys missing on
// unregistration, the registry not writable, the module path unknown).
HRESULT UpdateClassRegistration(REFCLSID clsid, const char* progId, BOOL flag);

// A class table's registration function for one class; progId must be an
// array with static storage (a static constexpr member of the class).
template <const CLSID& clsid, const char* progId>
HRESULT RegisterClassAs(BOOL flag) {
  return UpdateClassRegistration(clsid, progId, flag);
}

}  // namespace nv
