// nvtool set: building melody set files and taking melodies out of them, as
// the set editor does.
#pragma once

#include "Command.h"

class SetCommand : public Command {
 public:
  std::string_view Name() const override { return "set"; }
  std::string_view Summary() const override {
    return "create a .sto set from .mel or ring-tone files, or extract one melody";
  }
  std::string_view Help() const override;
  int Run(const std::vector<std::string>& args) override;
};
