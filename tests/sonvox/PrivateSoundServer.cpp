#include "PrivateSoundServer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

extern char** environ;

namespace soundtest {

namespace {

constexpr const char* kSinkName = "nvtestsink";

// Polls `ready` every 50 ms for up to `limit`: the server's programs give no
// other sign of being ready.
template <class Ready>
bool PollFor(Ready ready, std::chrono::seconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < until) {
    if (ready()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return ready();
}

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The samples of a WAV file's data chunk; empty when there is none.
std::vector<uint8_t> WavData(const std::vector<uint8_t>& file) {
  size_t at = 12;
  while (at + 8 <= file.size()) {
    const uint32_t size =
        file[at + 4] | file[at + 5] << 8 | file[at + 6] << 16 | static_cast<uint32_t>(file[at + 7]) << 24;
    if (std::equal(file.begin() + at, file.begin() + at + 4, "data")) {
      // A recorder stopped by a signal may leave the size unset: take what is there.
      const size_t end = size == 0 || size == 0xFFFFFFFFu ? file.size() : std::min(file.size(), at + 8 + size);
      return std::vector<uint8_t>(file.begin() + at + 8, file.begin() + end);
    }
    at += 8 + size + (size & 1);
  }
  return {};
}

}  // namespace

bool PrivateSoundServer::Installed() {
  for (const char* program :
       {"/usr/bin/pipewire", "/usr/bin/wireplumber", "/usr/bin/pw-record", "/usr/bin/pw-cli", "/usr/bin/dbus-daemon"}) {
    if (access(program, X_OK) != 0) return false;
  }
  return true;
}

PrivateSoundServer::PrivateSoundServer() : runtime_(dir_.file("run")) {}

PrivateSoundServer::~PrivateSoundServer() {
  Stop(&recorder_, SIGINT);
  Stop(&session_, SIGTERM);
  Stop(&server_, SIGTERM);
  Stop(&bus_, SIGTERM);
}

bool PrivateSoundServer::Start(std::string* error) {
  if (mkdir(runtime_.c_str(), 0700) != 0) {
    *error = "cannot create the runtime folder";
    return false;
  }
  const std::string busAddress = "unix:path=" + runtime_ + "/bus";
  // Set before the first ALSA open of this process: the PipeWire plugin
  // reads them when it connects.
  setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", busAddress.c_str(), 1);
  setenv("PIPEWIRE_RUNTIME_DIR", runtime_.c_str(), 1);

  bus_ = Spawn({"dbus-daemon", "--session", "--nofork", "--address=" + busAddress}, dir_.file("bus.log"));
  if (!PollFor([&] { return access((runtime_ + "/bus").c_str(), F_OK) == 0; }, std::chrono::seconds(20))) {
    *error = "the session bus did not start";
    return false;
  }
  server_ = Spawn({"pipewire"}, dir_.file("pipewire.log"));
  if (!PollFor([&] { return access((runtime_ + "/pipewire-0").c_str(), F_OK) == 0; }, std::chrono::seconds(20))) {
    *error = "pipewire did not start";
    return false;
  }
  session_ = Spawn({"wireplumber"}, dir_.file("wireplumber.log"));
  const std::string properties = std::string("{ factory.name=support.null-audio-sink node.name=") + kSinkName +
                                 " media.class=Audio/Sink object.linger=true audio.position=[MONO] "
                                 "audio.rate=48000 }";
  if (RunToEnd({"pw-cli", "create-node", "adapter", properties}) != 0) {
    *error = "the null sink could not be created";
    return false;
  }
  // The sink is usable once the session manager has made it the default.
  const bool ready = PollFor(
      [&] {
        return RunToEnd({"sh", "-c", std::string("pw-metadata 0 default.audio.sink | grep -q ") + kSinkName}) == 0;
      },
      std::chrono::seconds(30));
  if (!ready) *error = "the null sink did not become the default sink";
  return ready;
}

bool PrivateSoundServer::StartRecording(std::string* error) {
  // At real-time priority where allowed (chrt falls back to running it
  // plainly when not): a recorder that misses the graph's cycles on a busy
  // machine loses samples that were played.
  const bool realTime = RunToEnd({"chrt", "-f", "10", "true"}) == 0;
  std::vector<std::string> command = {
      "pw-record", "--target", kSinkName,    "-P", "{ stream.capture.sink=true }", "--format", "u8",
      "--rate",    "11025",    "--channels", "1",  dir_.file("capture.wav")};
  if (realTime) command.insert(command.begin(), {"chrt", "-f", "10"});
  recorder_ = Spawn(command, dir_.file("record.log"));
  // Recording has begun once the monitor link exists.
  const bool linked = PollFor(
      [&] {
        return RunToEnd({"sh", "-c", "pw-link -l | grep -q pw-record"}) == 0;
      },
      std::chrono::seconds(20));
  if (!linked) *error = "the recorder did not connect to the sink";
  return linked;
}

std::vector<uint8_t> PrivateSoundServer::StopRecording() {
  Stop(&recorder_, SIGINT);
  return WavData(ReadAll(dir_.file("capture.wav")));
}

pid_t PrivateSoundServer::Spawn(const std::vector<std::string>& argv, const std::string& log) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int PrivateSoundServer::RunToEnd(const std::vector<std::string>& argv) {
  pid_t pid = Spawn(argv, dir_.file("commands.log"));
  if (pid < 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void PrivateSoundServer::Stop(pid_t* pid, int signal) {
  if (*pid <= 0) return;
  kill(*pid, signal);
  int status = 0;
  // A program that ignores the polite signal is killed after 5 s.
  if (!PollFor([&] { return waitpid(*pid, &status, WNOHANG) == *pid; }, std::chrono::seconds(5))) {
    kill(*pid, SIGKILL);
    waitpid(*pid, &status, 0);
  }
  *pid = -1;
}

}  // namespace soundtest
