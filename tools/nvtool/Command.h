// One subcommand of the tool: its name, a line for the overview, its help
// text, and its run over the arguments that follow its name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class Command {
 public:
  virtual ~Command() = default;

  virtual std::string_view Name() const = 0;
  virtual std::string_view Summary() const = 0;
  // The full help: usage lines, then what the command does and its options.
  virtual std::string_view Help() const = 0;
  // Runs the command and returns its exit code; failures are ToolErrors.
  // "--help" anywhere before "--" prints Help() and succeeds.
  virtual int Run(const std::vector<std::string>& args) = 0;
};
