#include "Event.h"

namespace nv::platform {

void Event::Set() {
  std::lock_guard lock(Lock());
  signalled_ = true;
  WakeWaiters();
}

void Event::Reset() {
  std::lock_guard lock(Lock());
  signalled_ = false;
}

bool Event::IsSignalled(Clock::time_point) {
  return signalled_;
}

void Event::Satisfy() {
  if (!manualReset_) signalled_ = false;
}

}  // namespace nv::platform
