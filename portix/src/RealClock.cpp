#include "portix/RealClock.h"

#include <time.h>

namespace portix {

LONGLONG RealClock::Counter() {
  timespec now{};
  // The monotonic clock exists on every Linux system; should the call fail
  // all the same, time stands still and only the select deadline and the
  // stuck-clock limit (calendar time) end a wait.
  if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return 0;
  return LONGLONG{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

void RealClock::WaitUntil(LONGLONG counter) {
  while (Counter() < counter) {
  }
}

time_t RealClock::CalendarSeconds() {
  return std::time(nullptr);
}

}  // namespace portix
