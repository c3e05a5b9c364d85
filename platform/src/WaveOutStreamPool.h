// The sound streams of closed wave-output handles, kept open for a while so
// that the next handle for the same PCM and format takes one over instead of
// opening (and later ending) a stream of its own.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "WaveOutDevice.h"

class WaveOutStreamPool {
 public:
  // How long a stream stays open after the last frame it was given.
  static constexpr std::chrono::milliseconds kLinger{3000};

  // The pool of the process.
  static WaveOutStreamPool& Instance();

  // Closes every stream still kept.
  ~WaveOutStreamPool();
  void CloseAll();

  // A kept stream for `key` now attached to handle and callback (WOM_OPEN
  // reported), or null when none is kept.
  std::shared_ptr<WaveOutDevice> Take(const std::string& key, HWAVEOUT handle, const WaveOutDevice::Callback& callback);
  // Detaches `stream` from its handle (WOM_CLOSE reported) and keeps it
  // under `key`. Streams that have closed after lingering are let go.
  void Keep(const std::string& key, std::shared_ptr<WaveOutDevice> stream);

 private:
  struct Kept {
    std::string key;
    std::shared_ptr<WaveOutDevice> stream;
  };
  // Removes the expired streams from kept_ into `gone`, to be destroyed unlocked.
  void Prune(std::vector<std::shared_ptr<WaveOutDevice>>* gone);

  std::mutex mutex_;
  std::vector<Kept> kept_;
};
