#include "WaveOutStreamPool.h"

#include <new>
#include <utility>

WaveOutStreamPool& WaveOutStreamPool::Instance() {
  static WaveOutStreamPool pool;
  return pool;
}

WaveOutStreamPool::~WaveOutStreamPool() {
  CloseAll();
}

void WaveOutStreamPool::CloseAll() {
  std::vector<Kept> kept;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    kept.swap(kept_);
  }
  for (Kept& entry : kept) entry.stream->Close();
}

std::shared_ptr<WaveOutDevice> WaveOutStreamPool::Take(const std::string& key, HWAVEOUT handle,
                                                       const WaveOutDevice::Callback& callback) {
  std::vector<std::shared_ptr<WaveOutDevice>> gone;
  std::shared_ptr<WaveOutDevice> taken;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // The most recently kept stream first: it is the one whose sound the
    // next buffer should follow.
    for (auto it = kept_.rbegin(); it != kept_.rend(); ++it) {
      if (it->key != key) continue;
      if (it->stream->Attach(handle, callback)) {
        taken = std::move(it->stream);
        kept_.erase(std::next(it).base());
        break;
      }
    }
    Prune(&gone);
  }
  return taken;
}

void WaveOutStreamPool::Keep(const std::string& key, std::shared_ptr<WaveOutDevice> stream) {
  stream->Detach(kLinger);
  std::vector<std::shared_ptr<WaveOutDevice>> gone;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Prune(&gone);
    try {
      kept_.push_back(Kept{key, stream});
      return;
    } catch (const std::bad_alloc&) {
      gone.push_back(std::move(stream));
    }
  }
}

void WaveOutStreamPool::Prune(std::vector<std::shared_ptr<WaveOutDevice>>* gone) {
  for (auto it = kept_.begin(); it != kept_.end();) {
    if (it->stream->HasExpired()) {
      gone->push_back(std::move(it->stream));
      it = kept_.erase(it);
    } else {
      ++it;
    }
  }
}
