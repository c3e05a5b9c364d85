// Time as the bus code sees it: the performance counter for bit timing and
// the one-second select deadline, calendar seconds for the stuck-clock limit.
#pragma once

#include <ctime>

#include "platform/Types.h"

namespace portix {

class BusClock {
 public:
  virtual ~BusClock() = default;
  virtual LONGLONG Counter() = 0;
  // Counts per second; never 0.
  virtual LONGLONG Frequency() = 0;
  // Returns once Counter() has reached `counter` (at once when it has).
  virtual void WaitUntil(LONGLONG counter) = 0;
  virtual time_t CalendarSeconds() = 0;

  // The counts a wait of n microseconds lasts: n at the counter's frequency,
  // plus one count.
  LONGLONG Ticks(DWORD microseconds) { return LONGLONG{microseconds} * Frequency() / 1'000'000 + 1; }
};

}  // namespace portix
