#include "portix/SimulatedLines.h"

namespace portix {

bool SimulatedLines::clockHigh() const {
  return !(data_ & kClockOut) && !holdClockLow_ && !(device_ && device_->PullsClockLow());
}

bool SimulatedLines::dataHigh() const {
  return !(data_ & kDataOut) && !holdDataLow_ && !(device_ && device_->PullsDataLow());
}

bool SimulatedLines::ReadData(BYTE* value) {
  *value = data_;
  return true;
}

bool SimulatedLines::WriteData(BYTE value) {
  ++writes_;
  data_ = value;
  if (device_) device_->OnLines(clockHigh(), dataHigh());
  return true;
}

bool SimulatedLines::ReadStatus(BYTE* value) {
  BYTE status = 0;
  if (!dataHigh()) status |= kDataLow;
  if (clockHigh()) status |= kClockHigh;
  *value = status;
  return true;
}

}  // namespace portix
