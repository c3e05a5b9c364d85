// The common part of every kernel object (event, waitable timer, thread):
// its signal state is guarded by one process-wide lock, and the threads
// waiting on it are registered so that a change of state wakes them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <span>
#include <vector>

#include "platform/Types.h"

namespace nv::platform {

class KernelObject {
 public:
  using Clock = std::chrono::steady_clock;

  enum class Kind { Event, Timer, Thread };

  // One waiting thread. A wait on several objects registers the same waiter
  // with each of them, so a signal on any of them wakes it.
  struct Waiter {
    std::condition_variable wake;
  };

  explicit KernelObject(Kind kind) : kind_(kind) {}
  virtual ~KernelObject() = default;
  KernelObject(const KernelObject&) = delete;
  KernelObject& operator=(const KernelObject&) = delete;

  Kind kind() const { return kind_; }

  // The lock that guards the state of every kernel object and every waiter
  // list. It lives until the process ends, so detached threads may still
  // signal their objects while the process shuts down.
  static std::mutex& Lock();

  // Waits until one of `objects` (waitAll: all of them at once) is
  // signalled, or `milliseconds` have passed (INFINITE: no limit). Satisfies
  // the signalled object(s) and returns the index of the first signalled one
  // (0 for waitAll), or WAIT_TIMEOUT. Takes Lock() itself.
  static DWORD Wait(std::span<KernelObject* const> objects, bool waitAll, DWORD milliseconds);

  // The members below require Lock() to be held.

  // Whether a wait on this object would be satisfied at `now`. Timers bring
  // their state up to date here.
  virtual bool IsSignalled(Clock::time_point now) = 0;
  // A wait was satisfied by this object: auto-reset objects reset here.
  virtual void Satisfy() {}
  // When the object will become signalled by itself (timers); max() if never.
  virtual Clock::time_point NextDue() const { return Clock::time_point::max(); }

  void AddWaiter(Waiter* waiter);
  void RemoveWaiter(Waiter* waiter);

 protected:
  // Wakes every registered waiter so that it looks at the objects again.
  void WakeWaiters();

 private:
  const Kind kind_;
  std::vector<Waiter*> waiters_;
};

}  // namespace nv::platform
