#include "ModuleCounts.h"

namespace nv {

volatile LONG objectCount = 0;
volatile LONG lockCount = 0;

}  // namespace nv
