#include "portix/RealClock.h"

#include "platform/Kernel.h"

namespace portix {

LONGLONG RealClock::Counter() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

LONGLONG RealClock::Frequency() {
  LARGE_INTEGER frequency;
  if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) return 1'000'000'000;
  return frequency.QuadPart;
}

void RealClock::Delay(DWORD microseconds) {
  const LONGLONG start = Counter();
  const LONGLONG ticks = LONGLONG{microseconds} * Frequency() / 1'000'000 + 1;
  while (Counter() - start <= ticks) {
  }
}

time_t RealClock::CalendarSeconds() {
  return std::time(nullptr);
}

}  // namespace portix
