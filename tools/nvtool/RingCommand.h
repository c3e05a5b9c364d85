// nvtool ring: a doorbell simulator over a virtual doorbell's memory image.
#pragma once

#include "Command.h"

class RingCommand : public Command {
 public:
  std::string_view Name() const override { return "ring"; }
  std::string_view Summary() const override { return "ring a virtual doorbell: play its melodies as the bell would"; }
  std::string_view Help() const override;
  int Run(const std::vector<std::string>& args) override;
};
