// nvtool import: a fragment of a MIDI file's channel melody as a melody file,
// taken as the melody editor's MIDI import takes it.
#pragma once

#include "Command.h"

class ImportCommand : public Command {
 public:
  std::string_view Name() const override { return "import"; }
  std::string_view Summary() const override { return "take a melody out of a MIDI or ring-tone file into a .mel file"; }
  std::string_view Help() const override;
  int Run(const std::vector<std::string>& args) override;
};
