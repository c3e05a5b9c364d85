// Everything the platform layer offers.
#pragma once

#include "platform/CodePage.h"
#include "platform/Com.h"
#include "platform/Kernel.h"
#include "platform/Library.h"
#include "platform/Messages.h"
#include "platform/Registry.h"
#include "platform/Types.h"
