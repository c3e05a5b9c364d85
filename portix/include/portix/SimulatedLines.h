// Port lines without a port: the data register drives two open-drain lines
// that a simulated device on the bus can also pull low (wired AND), and the
// status register reads the resulting levels the way the port shows them.
#pragma once

#include <cstddef>

#include "portix/BusDevice.h"
#include "portix/Lines.h"

namespace portix {

class SimulatedLines final : public Lines {
 public:
  // device may be null (nothing on the bus); it must outlive the lines.
  explicit SimulatedLines(BusDevice* device) : device_(device) {}

  bool ReadData(BYTE* value) override;
  bool WriteData(BYTE value) override;
  bool ReadStatus(BYTE* value) override;

  // A fault outside host and device: a line shorted to ground.
  void HoldClockLow(bool hold) { holdClockLow_ = hold; }
  void HoldDataLow(bool hold) { holdDataLow_ = hold; }

  bool clockHigh() const;
  bool dataHigh() const;
  // Number of data-register writes so far.
  size_t writes() const { return writes_; }

 private:
  BusDevice* device_;
  BYTE data_ = 0;
  bool holdClockLow_ = false;
  bool holdDataLow_ = false;
  size_t writes_ = 0;
};

}  // namespace portix
