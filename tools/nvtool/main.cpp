// nvtool: the command-line tool over the melody and doorbell components.
#include <string>
#include <vector>

#include "Interrupt.h"
#include "NvTool.h"

int main(int argc, char** argv) {
  Interrupt::Install();
  NvTool tool;
  return tool.Run(std::vector<std::string>(argv + 1, argv + argc));
}
