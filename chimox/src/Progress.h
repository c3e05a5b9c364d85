// How a memory procedure reports its progress points and learns that it was
// cancelled.
#pragma once

namespace chimox {

class Progress {
 public:
  // Reports percent reached; returns false when the operation is to stop
  // there (cancelled).
  virtual bool Reached(int percent) = 0;

 protected:
  ~Progress() = default;
};

}  // namespace chimox
