// The former name of PortSetting, kept only for callers written against it.
#pragma once

#include "portix/PortSetting.h"

namespace portix {

using PortSpec = PortSetting;

}  // namespace portix
