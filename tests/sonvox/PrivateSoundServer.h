// A PipeWire sound server of the test's own, as a desktop runs it: its own
// runtime folder and session bus, pipewire, wireplumber and a null sink whose
// monitor is recorded (unsigned 8-bit, 11025 Hz, mono) while the test plays
// through ALSA's default PCM. Everything it starts is stopped again by
// process id.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TempDir.h"

namespace soundtest {

class PrivateSoundServer {
 public:
  // True when the server's programs are installed.
  static bool Installed();

  PrivateSoundServer();
  // Stops the recorder, wireplumber, pipewire and the bus, in that order.
  ~PrivateSoundServer();
  PrivateSoundServer(const PrivateSoundServer&) = delete;
  PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

  // Starts the bus, the server, the session manager and the null sink and
  // points this process's ALSA clients at it; false (with `error` set) when
  // the sink does not appear.
  bool Start(std::string* error);
  // Starts recording the sink's monitor; false when the recorder does not run.
  bool StartRecording(std::string* error);
  // Ends the recording and returns its samples (empty when it failed).
  std::vector<uint8_t> StopRecording();

 private:
  pid_t Spawn(const std::vector<std::string>& argv, const std::string& log);
  // Runs argv to its end; its exit status, or -1.
  int RunToEnd(const std::vector<std::string>& argv);
  static void Stop(pid_t* pid, int signal);

  nvtest::TempDir dir_;
  std::string runtime_;
  pid_t bus_ = -1;
  pid_t server_ = -1;
  pid_t session_ = -1;
  pid_t recorder_ = -1;
};

}  // namespace soundtest
