// A party on the simulated bus: it watches both lines and may pull either low.
#pragma once

namespace portix {

class BusDevice {
 public:
  virtual ~BusDevice() = default;
  // Called after every change the host makes, with the resulting levels.
  virtual void OnLines(bool clockHigh, bool dataHigh) = 0;
  virtual bool PullsDataLow() const = 0;
  virtual bool PullsClockLow() const { return false; }
};

}  // namespace portix
