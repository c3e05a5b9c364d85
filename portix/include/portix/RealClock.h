// Wall time: busy waits on the monotonic clock, nothing sleeps. Its counts
// are nanoseconds: with the platform's 100 ns performance counter the one
// extra count of every wait and the counter's granularity would add about
// 15 % to each bit.
#pragma once

#include "portix/BusClock.h"

namespace portix {

class RealClock final : public BusClock {
 public:
  LONGLONG Counter() override;
  LONGLONG Frequency() override { return 1'000'000'000; }
  void WaitUntil(LONGLONG counter) override;
  time_t CalendarSeconds() override;
};

}  // namespace portix
