#include "sonvox/Sonvox.h"
