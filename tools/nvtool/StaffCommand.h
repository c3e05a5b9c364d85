// nvtool staff: a melody's staff as the melody editor draws it, as a PNG or
// SVG picture or as PDF pages.
#pragma once

#include "Command.h"

class StaffCommand : public Command {
 public:
  std::string_view Name() const override { return "staff"; }
  std::string_view Summary() const override { return "draw a .mel file's staff as PNG, SVG or PDF"; }
  std::string_view Help() const override;
  int Run(const std::vector<std::string>& args) override;
};
