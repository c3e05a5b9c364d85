// Plays Sonvox melodies through the audio output ("AudioDevice" under
// HKEY_CURRENT_USER\Software\N&V\Sonvox) and waits for each to end, following
// the notes it posts; Ctrl+C stops the melody.
#pragma once

#include "platform/ComPtr.h"
#include "platform/MessageQueue.h"
#include "sonvox/Sonvox.h"

class ComSession;
class ProgressBar;

class MelodyPlayer {
 public:
  // Makes the sample with the melody editor's tone; ToolError with Sonvox's
  // own text when there is no audio output device.
  explicit MelodyPlayer(ComSession& session);

  // Plays the whole melody and returns once it has ended (true) or was
  // stopped by Ctrl+C (false). The bar, when given, follows the notes.
  // ToolError when the melody refuses to play.
  bool Play(IMelody* melody, ProgressBar* bar);

 private:
  nv::ComPtr<ISample1> sample_;
  MessageQueue queue_;
};
