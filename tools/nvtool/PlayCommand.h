// nvtool play: a melody file through the audio output.
#pragma once

#include "Command.h"

class PlayCommand : public Command {
 public:
  std::string_view Name() const override { return "play"; }
  std::string_view Summary() const override { return "play a .mel file on the audio device"; }
  std::string_view Help() const override;
  int Run(const std::vector<std::string>& args) override;
};
