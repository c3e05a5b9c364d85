// A message target for a thread without a window: posts from any thread are
// queued in order, and the thread that owns the queue takes them out.
#pragma once

#include <deque>
#include <mutex>

#include "platform/Messages.h"

class NVPLATFORM_API MessageQueue final : public MessageSink {
 public:
  struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };

  // Registers the queue as a message target. If that (or creating its event)
  // fails, Window() and ReadyEvent() are null and nothing can be posted.
  MessageQueue();
  // Unregisters first, so that no post reaches a half-destroyed queue.
  ~MessageQueue();
  MessageQueue(const MessageQueue&) = delete;
  MessageQueue& operator=(const MessageQueue&) = delete;

  // The handle to post to.
  HWND Window() const { return window_; }
  // A manual-reset event, signalled while messages are queued, so that the
  // owner can wait for messages and kernel objects together. Owned by the
  // queue: do not close it.
  HANDLE ReadyEvent() const { return ready_; }

  // Takes the oldest message, waiting up to `milliseconds` (INFINITE: no
  // limit) for one; false when none came in time.
  bool Get(Message* out, DWORD milliseconds);
  // Takes the oldest message if there is one, without waiting.
  bool Peek(Message* out);
  size_t Size() const;

  // Called by PostMessage on the posting thread. A message that cannot be
  // stored for lack of memory is dropped.
  void Accept(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  mutable std::mutex mutex_;
  std::deque<Message> messages_;
  HANDLE ready_ = nullptr;
  HWND window_ = nullptr;
};
