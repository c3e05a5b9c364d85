// The server module's counts, one pair per module: the framework is linked
// into each server with hidden symbols, so two servers in one process never
// share them. Changed only by interlocked operations.
#pragma once

#include "platform/Kernel.h"

namespace nv {

// Live class factories and component objects of this module.
extern volatile LONG objectCount;
// Outstanding IClassFactory::LockServer locks on this module.
extern volatile LONG lockCount;

}  // namespace nv
