#include "MessageTargetTable.h"

namespace nv::platform {

namespace {

uintptr_t Key(HWND window) {
  return reinterpret_cast<uintptr_t>(window);
}

}  // namespace

MessageTargetTable& MessageTargetTable::Instance() {
  // Never destroyed: threads still running at exit may post.
  static auto* const table = new MessageTargetTable;
  return *table;
}

HWND MessageTargetTable::Register(MessageSink* sink) {
  std::lock_guard lock(mutex_);
  const uintptr_t key = next_;
  targets_.emplace(key, Target{sink});
  next_ += 4;  // handle-like values, never 0
  return reinterpret_cast<HWND>(key);
}

bool MessageTargetTable::Unregister(HWND window) {
  std::unique_lock lock(mutex_);
  auto found = targets_.find(Key(window));
  if (found == targets_.end() || found->second.closing) return false;
  // The element stays put while other targets come and go; iterators may not.
  Target& target = found->second;
  target.closing = true;
  idle_.wait(lock, [&target] { return target.posting == 0; });
  targets_.erase(Key(window));
  return true;
}

bool MessageTargetTable::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Target* target = nullptr;
  {
    std::lock_guard lock(mutex_);
    auto found = targets_.find(Key(window));
    if (found == targets_.end() || found->second.closing) return false;
    target = &found->second;
    ++target->posting;
  }
  // Ends the post even if the sink throws; until then Unregister waits and
  // the element stays where it is.
  struct PostInProgress {
    MessageTargetTable* table;
    Target* target;
    ~PostInProgress() {
      std::lock_guard lock(table->mutex_);
      if (--target->posting == 0 && target->closing) table->idle_.notify_all();
    }
  } inProgress{this, target};
  // The sink is called without the lock, so that posts to different targets
  // (and the sink's own locking) never wait for each other here.
  target->sink->Accept(message, wParam, lParam);
  return true;
}

bool MessageTargetTable::Contains(HWND window) const {
  std::lock_guard lock(mutex_);
  auto found = targets_.find(Key(window));
  return found != targets_.end() && !found->second.closing;
}

}  // namespace nv::platform
