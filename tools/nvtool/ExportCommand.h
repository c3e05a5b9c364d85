// nvtool export: a melody file as a Standard MIDI File.
#pragma once

#include "Command.h"

class ExportCommand : public Command {
 public:
  std::string_view Name() const override { return "export"; }
  std::string_view Summary() const override { return "write a .mel file as a MIDI file or ring-tone text"; }
  std::string_view Help() const override;
  int Run(const std::vector<std::string>& args) override;
};
