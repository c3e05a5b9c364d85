#include "WaitableTimer.h"

namespace nv::platform {

void WaitableTimer::Arm(Clock::time_point due, std::chrono::milliseconds period) {
  std::lock_guard lock(Lock());
  signalled_ = false;
  active_ = true;
  due_ = due;
  period_ = period;
  // Waiters may be sleeping towards the old due time.
  WakeWaiters();
}

void WaitableTimer::Cancel() {
  std::lock_guard lock(Lock());
  active_ = false;
}

bool WaitableTimer::IsSignalled(Clock::time_point now) {
  if (active_ && now >= due_) {
    signalled_ = true;
    if (period_.count() > 0) {
      // Periods missed while nobody looked collapse into one signal.
      const auto missed = (now - due_) / period_;
      due_ += period_ * (missed + 1);
    } else {
      active_ = false;
    }
  }
  return signalled_;
}

void WaitableTimer::Satisfy() {
  if (!manualReset_) signalled_ = false;
}

KernelObject::Clock::time_point WaitableTimer::NextDue() const {
  return active_ ? due_ : Clock::time_point::max();
}

}  // namespace nv::platform
