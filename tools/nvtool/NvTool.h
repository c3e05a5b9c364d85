// The command-line tool: picks the subcommand named by the first argument,
// runs it and turns its failures into a message on standard error and an
// exit code.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Command.h"

class NvTool {
 public:
  NvTool();
  ~NvTool();

  // args without the program's name; returns the exit code.
  int Run(const std::vector<std::string>& args);

 private:
  std::string Overview() const;
  int Dispatch(const std::vector<std::string>& args);

  std::vector<std::unique_ptr<Command>> commands_;
};
