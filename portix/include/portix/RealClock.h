// Wall time: busy waits on the performance counter, nothing sleeps.
#pragma once

#include "portix/BusClock.h"

namespace portix {

class RealClock final : public BusClock {
 public:
  LONGLONG Counter() override;
  LONGLONG Frequency() override;
  void Delay(DWORD microseconds) override;
  time_t CalendarSeconds() override;
};

}  // namespace portix
