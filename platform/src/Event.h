// An event: manual-reset events stay signalled until reset; auto-reset
// events are reset by the one wait they satisfy.
#pragma once

#include "KernelObject.h"

namespace nv::platform {

class Event final : public KernelObject {
 public:
  Event(bool manualReset, bool initialState)
      : KernelObject(Kind::Event), manualReset_(manualReset), signalled_(initialState) {}

  // Both take KernelObject::Lock() themselves.
  void Set();
  void Reset();

  bool IsSignalled(Clock::time_point now) override;
  void Satisfy() override;

 private:
  const bool manualReset_;
  bool signalled_;
};

}  // namespace nv::platform
