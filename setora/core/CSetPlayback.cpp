#include "CSetPlayback.h"

#include <thread>

bool CSetPlayback::Start(int index, CStringU& error) {
  if (!doc_.Play(index, error)) return false;
  index_ = index;
  return true;
}

bool CSetPlayback::Poll() {
  if (!IsPlaying() || !doc_.IsStopped(index_)) return false;
  index_ = -1;
  return true;
}

bool CSetPlayback::Stop(std::chrono::milliseconds wait) {
  if (!IsPlaying()) return true;
  doc_.Stop(index_);
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (!doc_.IsStopped(index_)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(kStopPoll);
  }
  index_ = -1;
  return true;
}
