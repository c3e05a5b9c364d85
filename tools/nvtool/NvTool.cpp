#include "NvTool.h"

#include <cstdio>
#include <new>

#include "ArgParser.h"
#include "BellCommand.h"
#include "ExportCommand.h"
#include "ImportCommand.h"
#include "InfoCommand.h"
#include "PlayCommand.h"
#include "RenderCommand.h"
#include "RingCommand.h"
#include "SetCommand.h"
#include "ToolError.h"
#ifdef NVTOOL_WITH_STAFF
#include "StaffCommand.h"
#endif

NvTool::NvTool() {
  commands_.push_back(std::make_unique<InfoCommand>());
  commands_.push_back(std::make_unique<ImportCommand>());
  commands_.push_back(std::make_unique<ExportCommand>());
  commands_.push_back(std::make_unique<RenderCommand>());
  commands_.push_back(std::make_unique<PlayCommand>());
#ifdef NVTOOL_WITH_STAFF
  commands_.push_back(std::make_unique<StaffCommand>());
#endif
  commands_.push_back(std::make_unique<SetCommand>());
  commands_.push_back(std::make_unique<BellCommand>());
  commands_.push_back(std::make_unique<RingCommand>());
}

NvTool::~NvTool() = default;

std::string NvTool::Overview() const {
  std::string text =
      "usage: nvtool COMMAND [ARGUMENTS]\n"
      "\n"
      "Melodies, melody sets, MIDI files and the doorbell from the command line,\n"
      "through the same components as the desktop programs.\n"
      "\n"
      "Commands:\n";
  for (const auto& command : commands_) {
    std::string name(command->Name());
    name.resize(10, ' ');
    text += "  " + name + std::string(command->Summary()) + "\n";
  }
  text +=
      "\n"
      "\"nvtool COMMAND --help\" describes a command. Exit status: 0 success, 1 failure\n"
      "(the components' own message is printed), 2 wrong usage, 3 the doorbell's\n"
      "memory is damaged (\"nvtool bell clear\" mends it), 130 interrupted.\n";
  return text;
}

int NvTool::Run(const std::vector<std::string>& args) {
  try {
    return Dispatch(args);
  } catch (const ToolError& error) {
    std::fflush(stdout);
    std::fprintf(stderr, "nvtool: %s\n", error.what());
    if (error.code() == kExitUsage) std::fprintf(stderr, "Try \"nvtool --help\".\n");
    return error.code();
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "nvtool: out of memory\n");
    return kExitFailed;
  }
}

int NvTool::Dispatch(const std::vector<std::string>& args) {
  if (args.empty()) {
    std::fputs(Overview().c_str(), stderr);
    return kExitUsage;
  }
  const std::string& name = args[0];
  if (name == "--help" || name == "-h" || name == "help") {
    std::fputs(Overview().c_str(), stdout);
    return kExitOk;
  }
  for (const auto& command : commands_) {
    if (command->Name() != name) continue;
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (ArgParser::WantsHelp(rest)) {
      std::fputs(std::string(command->Help()).c_str(), stdout);
      return kExitOk;
    }
    return command->Run(rest);
  }
  throw ToolError::Usage("unknown command \"" + name + "\"");
}
