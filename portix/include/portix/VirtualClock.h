// Simulated time for the simulated bus: it moves only when the bus waits, by
// exactly the waited time, so a simulated transaction takes no wall time
// while everything that depends on time (the select deadline, the memory's
// write cycle, the stuck-clock limit) behaves as with real waits.
#pragma once

#include "portix/BusClock.h"

namespace portix {

class VirtualClock final : public BusClock {
 public:
  // Counts are nanoseconds.
  LONGLONG Counter() override { return now_; }
  LONGLONG Frequency() override { return 1'000'000'000; }
  void WaitUntil(LONGLONG counter) override {
    if (now_ < counter) now_ = counter;
  }
  time_t CalendarSeconds() override { return static_cast<time_t>(now_ / 1'000'000'000); }
  // Moves time on without bus activity (a pause of the caller).
  void Advance(DWORD microseconds) { now_ += LONGLONG{microseconds} * 1000; }

 private:
  LONGLONG now_ = 0;
};

}  // namespace portix
