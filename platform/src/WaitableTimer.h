// A waitable timer. It has no thread of its own: waiters sleep until the
// earlier of their time-out and the timer's due time, and the state is
// brought up to date whenever it is looked at.
#pragma once

#include "KernelObject.h"

namespace nv::platform {

class WaitableTimer final : public KernelObject {
 public:
  explicit WaitableTimer(bool manualReset) : KernelObject(Kind::Timer), manualReset_(manualReset) {}

  // Arms the timer: it becomes signalled at `due` and then every `period`
  // (zero: once). Clears the signalled state. Takes KernelObject::Lock().
  void Arm(Clock::time_point due, std::chrono::milliseconds period);
  // Stops the timer; the signalled state stays as it is. Takes the lock.
  void Cancel();

  bool IsSignalled(Clock::time_point now) override;
  void Satisfy() override;
  Clock::time_point NextDue() const override;

 private:
  const bool manualReset_;
  bool signalled_ = false;
  bool active_ = false;
  Clock::time_point due_;
  std::chrono::milliseconds period_{0};
};

}  // namespace nv::platform
