#include "platform/MessageQueue.h"

#include <chrono>
#include <new>

#include "platform/Kernel.h"

MessageQueue::MessageQueue() {
  ready_ = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  if (ready_ != nullptr) window_ = RegisterMessageTarget(this);
}

MessageQueue::~MessageQueue() {
  if (window_ != nullptr) UnregisterMessageTarget(window_);
  if (ready_ != nullptr) CloseHandle(ready_);
}

bool MessageQueue::Get(Message* out, DWORD milliseconds) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  for (;;) {
    if (Peek(out)) return true;
    DWORD remaining = milliseconds;
    if (milliseconds != INFINITE) {
      const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
      if (elapsed >= milliseconds) return false;
      remaining = milliseconds - static_cast<DWORD>(elapsed);
    }
    const DWORD result = WaitForSingleObject(ready_, remaining);
    if (result == WAIT_TIMEOUT) return Peek(out);
    if (result != WAIT_OBJECT_0) return false;
  }
}

bool MessageQueue::Peek(Message* out) {
  std::lock_guard lock(mutex_);
  if (messages_.empty()) return false;
  *out = messages_.front();
  messages_.pop_front();
  // Reset under the queue lock, as Accept sets it under the lock: the event
  // is signalled exactly while messages are queued.
  if (messages_.empty()) ResetEvent(ready_);
  return true;
}

size_t MessageQueue::Size() const {
  std::lock_guard lock(mutex_);
  return messages_.size();
}

void MessageQueue::Accept(UINT message, WPARAM wParam, LPARAM lParam) {
  std::lock_guard lock(mutex_);
  try {
    messages_.push_back(Message{message, wParam, lParam});
  } catch (const std::bad_alloc&) {
    return;
  }
  SetEvent(ready_);
}
