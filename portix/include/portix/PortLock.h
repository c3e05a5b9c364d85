// The outcome of taking a port for one operation.
#pragma once

namespace portix {

enum class PortLock {
  kHeld,     // the port is ours until it is unlocked
  kBusy,     // another program (or another bell object) has it now
  kFailed,   // the port cannot be opened or claimed at all
  kRefused,  // the port must not be written: a kernel driver holds the device's address
};

}  // namespace portix
