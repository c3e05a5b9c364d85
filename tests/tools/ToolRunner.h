// Runs the built nvtool as a user would: a child process in the test's
// configuration folder, its standard output and error captured whole.
#pragma once

#include <string>
#include <vector>

#include "common/MelodyData.h"

namespace nvtest {

struct ToolResult {
  int exitCode = -1;  // the exit status, or -1 when the process did not exit normally
  std::string out;
  std::string err;
};

// nvtool from the build's program folder with args; folder holds the
// captured streams. With interruptAfterMs >= 0 the program gets SIGINT
// that long after its start, as from Ctrl+C. Standard input is the file
// input (empty by default).
ToolResult RunTool(const std::vector<std::string>& args, const std::string& folder, int interruptAfterMs = -1,
                   const std::string& input = "/dev/null");

// Test files.
MelodyData Melody(std::u16string name, std::vector<NoteValues> notes);
// count pitched quarter notes rising from A4 and wrapping.
std::vector<NoteValues> Notes(size_t count);
void SaveMelody(const std::string& path, const MelodyData& melody);
MelodyData LoadMelody(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> ReadBytes(const std::string& path);

}  // namespace nvtest
