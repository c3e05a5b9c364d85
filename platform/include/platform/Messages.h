// Posted messages between threads. A message target is any object that can
// hand a message over to the thread that owns it: a Qt widget forwards it to
// the GUI thread's event loop, a worker thread registers a MessageQueue.
#pragma once

#include "platform/Types.h"

class MessageSink {
 public:
  // Called on the posting thread; must only enqueue the message for the
  // owner's thread and return quickly.
  virtual void Accept(UINT message, WPARAM wParam, LPARAM lParam) = 0;

 protected:
  ~MessageSink() = default;
};

extern "C" {

// Registers a sink and returns its handle; null on allocation failure.
NVPLATFORM_API HWND RegisterMessageTarget(MessageSink* sink);
// After it returns no post reaches the sink any more (it waits for posts in progress).
NVPLATFORM_API BOOL UnregisterMessageTarget(HWND window);
// Thread-safe. FALSE with ERROR_INVALID_WINDOW_HANDLE for a handle that is gone or null.
NVPLATFORM_API BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
NVPLATFORM_API BOOL IsWindow(HWND window);

}  // extern "C"

constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;
