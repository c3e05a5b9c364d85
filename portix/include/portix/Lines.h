// The clock and data lines of the two-wire bus as the parallel port shows
// them: the data register drives both lines, the status register reads them.
#pragma once

#include "platform/Types.h"

namespace portix {

// Data register bits (outputs): 1 pulls the line low, 0 releases it.
constexpr BYTE kDataOut = 0x80;   // D7
constexpr BYTE kClockOut = 0x40;  // D6
// Status register bits (inputs).
constexpr BYTE kDataLow = 0x80;    // reads 1 while the data line is low
constexpr BYTE kClockHigh = 0x40;  // reads 1 while the clock line is high

class Lines {
 public:
  virtual ~Lines() = default;
  // Each returns false when the port could not be accessed.
  virtual bool ReadData(BYTE* value) = 0;
  virtual bool WriteData(BYTE value) = 0;
  virtual bool ReadStatus(BYTE* value) = 0;
};

}  // namespace portix
