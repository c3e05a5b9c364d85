#include "ToolRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "TempDir.h"
#include "common/MelFormat.h"

extern char** environ;

namespace nvtest {

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Waits (up to a minute) until the process has a handler for SIGINT: its
// SigCgt mask in /proc has the signal's bit.
void WaitForInterruptHandler(pid_t pid) {
  const std::string status = "/proc/" + std::to_string(pid) + "/status";
  for (int i = 0; i < 6000; ++i) {
    std::ifstream in(status);
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind("SigCgt:", 0) != 0) continue;
      const unsigned long long caught = std::stoull(line.substr(7), nullptr, 16);
      if ((caught & (1ull << (SIGINT - 1))) != 0) return;
    }
    usleep(10000);
  }
}

}  // namespace

ToolResult RunTool(const std::vector<std::string>& args, const std::string& folder, int interruptAfterMs,
                   const std::string& input) {
  const std::string program = BinDir() + "/nvtool";
  const std::string outPath = folder + "/nvtool.out";
  const std::string errPath = folder + "/nvtool.err";
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start " + program);

  if (interruptAfterMs >= 0) {
    // The delay counts from when the program catches SIGINT, so a slow
    // start (a busy machine, a sanitizer) cannot turn Ctrl+C into a kill.
    WaitForInterruptHandler(pid);
    usleep(static_cast<useconds_t>(interruptAfterMs) * 1000);
    kill(pid, SIGINT);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  ToolResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadText(outPath);
  result.err = ReadText(errPath);
  return result;
}

MelodyData Melody(std::u16string name, std::vector<NoteValues> notes) {
  MelodyData melody;
  melody.name = std::move(name);
  melody.notes = std::move(notes);
  return melody;
}

std::vector<NoteValues> Notes(size_t count) {
  std::vector<NoteValues> notes;
  for (size_t i = 0; i < count; ++i) notes.push_back({static_cast<BYTE>((13 + i) % 32), 2, 0});
  return notes;
}

void SaveMelody(const std::string& path, const MelodyData& melody) {
  if (MelFormat::Save(path, melody) != FileStatus::Ok) throw std::runtime_error("cannot write " + path);
}

MelodyData LoadMelody(const std::string& path) {
  MelodyData melody;
  if (MelFormat::Load(path, melody) != FileStatus::Ok) throw std::runtime_error("cannot read " + path);
  return melody;
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace nvtest
