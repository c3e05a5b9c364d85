#include "WaveOutDevice.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <new>
#include <system_error>

#include "platform/Kernel.h"

namespace {

constexpr uint64_t kNanosPerSecond = 1000000000;

// How often a full PCM is offered frames again, and how often a header
// whose end is due is checked for having been heard.
constexpr std::chrono::milliseconds kPoll(4);

}  // namespace

WaveOutDevice::WaveOutDevice(std::unique_ptr<WaveOutPcm> pcm, const WAVEFORMATEX& format)
    : pcm_(std::move(pcm)),
      rate_(format.nSamplesPerSec),
      frameBytes_(format.nBlockAlign),
      lead_(format.nSamplesPerSec / 5),
      step_(std::max<uint64_t>(1, format.nSamplesPerSec / 100)),
      maxLatency_(pcm_->Capacity() + format.nSamplesPerSec / 2),
      origin_(Clock::now()) {}

WaveOutDevice::~WaveOutDevice() {
  Close();
}

MMRESULT WaveOutDevice::Start() {
  try {
    thread_ = std::thread(&WaveOutDevice::Run, this);
  } catch (const std::system_error&) {
    return MMSYSERR_NOMEM;
  }
  return MMSYSERR_NOERROR;
}

bool WaveOutDevice::Attach(HWAVEOUT handle, const Callback& callback) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closing_ || expired_ || attached_) return false;
    attached_ = true;
    handle_ = handle;
    callback_ = callback;
  }
  wake_.notify_all();
  Notify(callback, handle, WOM_OPEN, 0);
  return true;
}

void WaveOutDevice::Detach(std::chrono::milliseconds linger) {
  Callback callback{};
  HWAVEOUT handle = nullptr;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!attached_) return;
    // No callback of this handle may run once its close has been reported.
    quiet_.wait(lock, [&] { return !notifying_; });
    callback = callback_;
    handle = handle_;
    callback_ = Callback{CALLBACK_NULL, 0, 0};
    handle_ = nullptr;
    attached_ = false;
    lingerUntil_ = std::max(Clock::now(), TimeOf(lineEnd_)) + linger;
  }
  wake_.notify_all();
  Notify(callback, handle, WOM_CLOSE, 0);
}

bool WaveOutDevice::HasExpired() {
  std::lock_guard<std::mutex> lock(mutex_);
  return expired_;
}

MMRESULT WaveOutDevice::Prepare(WAVEHDR* header) {
  std::lock_guard<std::mutex> lock(mutex_);
  header->dwFlags |= WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT WaveOutDevice::Unprepare(WAVEHDR* header) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  header->dwFlags &= ~WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT WaveOutDevice::Write(WAVEHDR* header) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closing_ || !attached_) return MMSYSERR_INVALHANDLE;
    if (!(header->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    const uint64_t begin = std::max(lineEnd_, FramesAt(Clock::now()));
    const Entry entry{header, begin, begin + header->dwBufferLength / frameBytes_};
    try {
      queue_.push_back(entry);
    } catch (const std::bad_alloc&) {
      return MMSYSERR_NOMEM;
    }
    lineEnd_ = entry.end;
    header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
  }
  wake_.notify_all();
  return MMSYSERR_NOERROR;
}

MMRESULT WaveOutDevice::Reset() {
  std::vector<WAVEHDR*> done;
  Callback callback{};
  HWAVEOUT handle = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closing_ || !attached_) return MMSYSERR_INVALHANDLE;
    DropAll(&done);
    callback = callback_;
    handle = handle_;
  }
  wake_.notify_all();
  for (WAVEHDR* header : done) Notify(callback, handle, WOM_DONE, reinterpret_cast<DWORD_PTR>(header));
  return MMSYSERR_NOERROR;
}

bool WaveOutDevice::HasQueued() {
  std::lock_guard<std::mutex> lock(mutex_);
  return !queue_.empty();
}

void WaveOutDevice::Close() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closing_) return;
    closing_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  std::vector<WAVEHDR*> done;
  Callback callback{};
  HWAVEOUT handle = nullptr;
  bool attached = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (pcm_) DropAll(&done);
    callback = callback_;
    handle = handle_;
    attached = attached_;
    attached_ = false;
    callback_ = Callback{CALLBACK_NULL, 0, 0};
  }
  pcm_.reset();
  for (WAVEHDR* header : done) Notify(callback, handle, WOM_DONE, reinterpret_cast<DWORD_PTR>(header));
  if (attached) Notify(callback, handle, WOM_CLOSE, 0);
}

void WaveOutDevice::Run() {
  // The feeder keeps the device from running dry: at real-time priority
  // where the system allows it (best effort; refused for most users), so
  // that a busy machine does not starve it.
  sched_param param{};
  param.sched_priority = 10;
  pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
  std::unique_lock<std::mutex> lock(mutex_);
  std::vector<WAVEHDR*> done;
  while (!closing_) {
    const Clock::time_point now = Clock::now();
    if (!attached_ && queue_.empty()) {
      if (now < lingerUntil_) {
        wake_.wait_until(lock, lingerUntil_);
        continue;
      }
      // Nobody took the stream over: what it held has long been heard, so
      // the PCM goes (slowly, on a sound server) on this thread.
      expired_ = true;
      break;
    }
    const uint64_t nowFrame = FramesAt(now);
    const bool full = Feed(nowFrame + lead_);
    Complete(nowFrame, &done);
    if (!done.empty()) {
      NotifyDoneUnlocked(lock, &done);
      continue;  // the queue is looked at afresh after the callbacks
    }
    if (queue_.empty()) {
      wake_.wait(lock);
    } else {
      wake_.wait_until(lock, NextWake(now, nowFrame, full));
    }
  }
  if (expired_) {
    std::unique_ptr<WaveOutPcm> pcm = std::move(pcm_);
    lock.unlock();
    pcm.reset();
  }
}

void WaveOutDevice::NotifyDoneUnlocked(std::unique_lock<std::mutex>& lock, std::vector<WAVEHDR*>* done) {
  const Callback callback = callback_;
  const HWAVEOUT handle = handle_;
  notifying_ = true;
  lock.unlock();
  for (WAVEHDR* header : *done) Notify(callback, handle, WOM_DONE, reinterpret_cast<DWORD_PTR>(header));
  done->clear();
  lock.lock();
  notifying_ = false;
  quiet_.notify_all();
}

bool WaveOutDevice::Feed(uint64_t target) {
  for (const Entry& entry : queue_) {
    if (written_ >= target) return false;
    if (entry.end <= written_) continue;
    // A header placed after a pause: the PCM runs dry meanwhile.
    written_ = std::max(written_, entry.begin);
    const uint64_t upto = std::min(entry.end, target);
    if (written_ >= upto) return false;
    const uint8_t* data =
        reinterpret_cast<const uint8_t*>(entry.header->lpData) + (written_ - entry.begin) * frameBytes_;
    const long accepted = pcm_->Write(data, upto - written_);
    if (accepted < 0) {
      // A lost device: the frames are gone, but time goes on so that the
      // header still ends when it should.
      written_ = upto;
      continue;
    }
    written_ += static_cast<uint64_t>(accepted);
    if (written_ < upto) return true;
  }
  return false;
}

void WaveOutDevice::Complete(uint64_t nowFrame, std::vector<WAVEHDR*>* done) {
  if (queue_.empty()) return;
  const uint64_t played = written_ - std::min<uint64_t>(pcm_->Pending(), written_);
  while (!queue_.empty()) {
    const Entry& entry = queue_.front();
    if (nowFrame < entry.end) break;
    // A device that stopped moving must not hold the header for ever.
    if (played < entry.end && nowFrame < entry.end + maxLatency_) break;
    // The caller may free the data once the header is done: never read it again.
    written_ = std::max(written_, entry.end);
    entry.header->dwFlags = (entry.header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    done->push_back(entry.header);
    queue_.pop_front();
  }
}

WaveOutDevice::Clock::time_point WaveOutDevice::NextWake(Clock::time_point now, uint64_t nowFrame, bool full) const {
  const Entry& front = queue_.front();
  Clock::time_point next = nowFrame < front.end ? TimeOf(front.end) : now + kPoll;
  if (full) {
    next = std::min(next, now + kPoll);
  } else if (written_ < lineEnd_) {
    // Feed again when the time line has moved one grain on.
    next = std::min(next, TimeOf(written_ + step_ > lead_ ? written_ + step_ - lead_ : 0));
  }
  return next;
}

void WaveOutDevice::DropAll(std::vector<WAVEHDR*>* done) {
  pcm_->Drop();
  for (const Entry& entry : queue_) {
    entry.header->dwFlags = (entry.header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    done->push_back(entry.header);
  }
  queue_.clear();
  // Whatever was fed ahead is gone with the drop; the next header starts now.
  lineEnd_ = written_ = FramesAt(Clock::now());
}

void WaveOutDevice::Notify(const Callback& callback, HWAVEOUT handle, UINT message, DWORD_PTR param) {
  switch (callback.kind) {
    case CALLBACK_EVENT:
      SetEvent(reinterpret_cast<HANDLE>(callback.target));
      break;
    case CALLBACK_FUNCTION:
      reinterpret_cast<LPWAVECALLBACK>(callback.target)(handle, message, callback.instance, param, 0);
      break;
    default:
      break;
  }
}

uint64_t WaveOutDevice::FramesAt(Clock::time_point t) const {
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(t - origin_).count();
  if (ns <= 0) return 0;
  const uint64_t n = static_cast<uint64_t>(ns);
  // Split so that the product cannot overflow however long the device stays open.
  return n / kNanosPerSecond * rate_ + n % kNanosPerSecond * rate_ / kNanosPerSecond;
}

WaveOutDevice::Clock::time_point WaveOutDevice::TimeOf(uint64_t frame) const {
  // Rounded up, so that FramesAt(TimeOf(f)) >= f.
  const uint64_t ns = frame / rate_ * kNanosPerSecond + (frame % rate_ * kNanosPerSecond + rate_ - 1) / rate_;
  return origin_ + std::chrono::nanoseconds(static_cast<int64_t>(ns));
}
