// nvtool bell: the doorbell programmer's operations on a real or virtual
// doorbell, with the same checks as its flows.
#pragma once

#include "Command.h"

class BellCommand : public Command {
 public:
  std::string_view Name() const override { return "bell"; }
  std::string_view Summary() const override { return "read, write and clear the doorbell's melodies"; }
  std::string_view Help() const override;
  int Run(const std::vector<std::string>& args) override;
};
