// Base of objects whose data several threads read and write: one lock that
// every access to that data takes, copying values in or out under it.
#pragma once

#include <mutex>

class CProtectDataU {
 public:
  CProtectDataU() = default;
  virtual ~CProtectDataU() = default;
  CProtectDataU(const CProtectDataU&) = delete;
  CProtectDataU& operator=(const CProtectDataU&) = delete;

 protected:
  // Held for the whole of one access; recursive, so an access may call another.
  std::unique_lock<std::recursive_mutex> Lock() const { return std::unique_lock(mutex_); }

 private:
  mutable std::recursive_mutex mutex_;
};
