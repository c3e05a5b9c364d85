// A failure that ends a command: its text goes to standard error after the
// program's name and the program exits with its code.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

// Exit codes of every command.
enum ExitCode : int {
  kExitOk = 0,
  kExitFailed = 1,         // a file, the device or a component refused
  kExitUsage = 2,          // the command line is wrong
  kExitDamaged = 3,        // the doorbell's memory is damaged: only clearing it helps
  kExitInterrupted = 130,  // stopped by Ctrl+C
};

class ToolError : public std::runtime_error {
 public:
  // text is UTF-8; trailing line feeds (the components end their texts
  // with one) are dropped.
  ToolError(int code, std::string_view text);
  // A component's own text.
  ToolError(int code, std::u16string_view text);

  static ToolError Usage(std::string_view text) { return ToolError(kExitUsage, text); }
  static ToolError Failed(std::string_view text) { return ToolError(kExitFailed, text); }
  static ToolError Failed(std::u16string_view text) { return ToolError(kExitFailed, text); }

  int code() const { return code_; }

 private:
  int code_;
};
