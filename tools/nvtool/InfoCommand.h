// nvtool info: what a melody, melody set or MIDI file holds.
#pragma once

#include "Command.h"

class InfoCommand : public Command {
 public:
  std::string_view Name() const override { return "info"; }
  std::string_view Summary() const override { return "show the melodies of a .mel, .sto or MIDI file"; }
  std::string_view Help() const override;
  int Run(const std::vector<std::string>& args) override;
};
