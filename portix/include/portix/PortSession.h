// An open port: its lines, its clock and the bus over them. For a virtual
// port also the simulated memory behind the lines.
#pragma once

#include <memory>
#include <string>

#include "portix/BusClock.h"
#include "portix/EepromModel.h"
#include "portix/Lines.h"
#include "portix/PortSetting.h"
#include "portix/TwoWireBus.h"

namespace portix {

class PortSession {
 public:
  // Null on failure with *error set: an I2C adapter (not a port of this
  // library), a port that cannot be opened or claimed, an image that cannot
  // be opened or created.
  static std::unique_ptr<PortSession> Open(const PortSetting& port, std::string* error);

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
  std::unique_ptr<TwoWireBus> bus_;
};

}  // namespace portix
