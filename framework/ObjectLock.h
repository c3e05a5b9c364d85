// Holds a component object's critical section for the life of the guard.
#pragma once

#include "platform/Kernel.h"

namespace nv {

class ObjectLock {
 public:
  explicit ObjectLock(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
  ~ObjectLock() { LeaveCriticalSection(&section_); }
  ObjectLock(const ObjectLock&) = delete;
  ObjectLock& operator=(const ObjectLock&) = delete;

 private:
  CRITICAL_SECTION& section_;
};

}  // namespace nv
