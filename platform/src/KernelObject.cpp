#include "KernelObject.h"

#include <algorithm>

#include "platform/Kernel.h"

namespace nv::platform {

std::mutex& KernelObject::Lock() {
  // Never destroyed: threads that outlive main() may still take it.
  static auto* const lock = new std::mutex;
  return *lock;
}

void KernelObject::AddWaiter(Waiter* waiter) {
  waiters_.push_back(waiter);
}

void KernelObject::RemoveWaiter(Waiter* waiter) {
  auto found = std::find(waiters_.begin(), waiters_.end(), waiter);
  if (found != waiters_.end()) waiters_.erase(found);
}

void KernelObject::WakeWaiters() {
  for (Waiter* waiter : waiters_) waiter->wake.notify_one();
}

namespace {

// Registers one waiter with every object for as long as it sleeps.
class WaiterRegistration {
 public:
  WaiterRegistration(std::span<KernelObject* const> objects, KernelObject::Waiter* waiter)
      : objects_(objects), waiter_(waiter) {}
  ~WaiterRegistration() {
    if (registered_)
      for (KernelObject* object : objects_) object->RemoveWaiter(waiter_);
  }
  WaiterRegistration(const WaiterRegistration&) = delete;
  WaiterRegistration& operator=(const WaiterRegistration&) = delete;

  void Register() {
    if (registered_) return;
    for (KernelObject* object : objects_) object->AddWaiter(waiter_);
    registered_ = true;
  }

 private:
  std::span<KernelObject* const> objects_;
  KernelObject::Waiter* waiter_;
  bool registered_ = false;
};

}  // namespace

DWORD KernelObject::Wait(std::span<KernelObject* const> objects, bool waitAll, DWORD milliseconds) {
  const auto deadline =
      milliseconds == INFINITE ? Clock::time_point::max() : Clock::now() + std::chrono::milliseconds(milliseconds);
  std::unique_lock lock(Lock());
  Waiter waiter;
  // Declared after the lock, so it unregisters while the lock is still held.
  WaiterRegistration registration(objects, &waiter);
  for (;;) {
    const auto now = Clock::now();
    if (waitAll) {
      bool all = true;
      for (KernelObject* object : objects) all = object->IsSignalled(now) && all;
      if (all) {
        for (KernelObject* object : objects) object->Satisfy();
        return 0;
      }
    } else {
      for (size_t i = 0; i < objects.size(); ++i) {
        if (objects[i]->IsSignalled(now)) {
          objects[i]->Satisfy();
          return static_cast<DWORD>(i);
        }
      }
    }
    if (now >= deadline) return WAIT_TIMEOUT;
    registration.Register();
    auto wake = deadline;
    for (KernelObject* object : objects) wake = std::min(wake, object->NextDue());
    if (wake == Clock::time_point::max())
      waiter.wake.wait(lock);
    else
      waiter.wake.wait_until(lock, wake);
  }
}

}  // namespace nv::platform
