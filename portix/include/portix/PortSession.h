// An open port: its lines, its clock and the bus over them. For a virtual
// port also the simulated memory behind the lines.
//
// Programs take turns on a port: an operation locks it (Lock), runs its
// transfers and unlocks it. The lock is the ppdev claim plus an advisory
// lock on the port device, or the advisory lock on the virtual doorbell's
// image, so it holds between processes as well as between bell objects.
#pragma once

#include <memory>
#include <string>

#include "portix/BusClock.h"
#include "portix/EepromModel.h"
#include "portix/Lines.h"
#include "portix/PortLock.h"
#include "portix/PortSetting.h"
#include "portix/PpdevLines.h"
#include "portix/TwoWireBus.h"

namespace portix {

class PortSession {
 public:
  // Null on failure with *error set: an I2C adapter (not a port of this
  // library), a port that cannot be opened, an image that cannot be opened
  // or created.
  static std::unique_ptr<PortSession> Open(const PortSetting& port, std::string* error);

  // Takes the port without waiting: kHeld, kBusy, or kFailed with *error set.
  PortLock Lock(std::string* error);
  // Lets the port go; false when a write of the virtual doorbell could not
  // be saved. Harmless when not locked.
  bool Unlock();
  bool locked() const { return locked_; }

  TwoWireBus& bus() { return *bus_; }
  BusClock& clock() { return *clock_; }
  // Null for a real port.
  EepromModel* memory() { return memory_.get(); }

 private:
  PortSession() = default;

  // Destroyed in reverse order: the bus before the lines before the memory
  // before the clock.
  std::unique_ptr<BusClock> clock_;
  std::unique_ptr<EepromModel> memory_;
  std::unique_ptr<Lines> lines_;
  PpdevLines* ppdev_ = nullptr;  // lines_ of a real port
  std::unique_ptr<TwoWireBus> bus_;
  bool locked_ = false;
};

}  // namespace portix
