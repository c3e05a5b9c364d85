// nvtool render: what playback of a melody sounds, as a WAV file.
#pragma once

#include "Command.h"

class RenderCommand : public Command {
 public:
  std::string_view Name() const override { return "render"; }
  std::string_view Summary() const override { return "render a .mel file as a WAV file"; }
  std::string_view Help() const override;
  int Run(const std::vector<std::string>& args) override;
};
