// The process's registered message targets. Handles come from a counter and
// are never handed out twice, so a stale handle cannot reach a new target.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "platform/Messages.h"

namespace nv::platform {

class MessageTargetTable {
 public:
  // The one table of the process (never destroyed).
  static MessageTargetTable& Instance();

  // Throws std::bad_alloc when memory runs out.
  HWND Register(MessageSink* sink);
  // False if the handle is not registered. Waits for posts to it that are in
  // progress on other threads; must not be called from the sink's Accept.
  bool Unregister(HWND window);
  // Hands the message to the sink on the calling thread; false if the
  // handle is not registered (or is being unregistered).
  bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool Contains(HWND window) const;

 private:
  struct Target {
    MessageSink* sink = nullptr;
    unsigned posting = 0;  // posts in progress
    bool closing = false;  // Unregister is waiting for the posts to finish
  };

  mutable std::mutex mutex_;
  std::condition_variable idle_;
  std::unordered_map<uintptr_t, Target> targets_;
  uintptr_t next_ = 0x10000;
};

}  // namespace nv::platform
