#include "WaveOutAlsaPcm.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <new>

namespace {

// The device buffer: long enough to ride out a busy machine, short enough
// that the first sound starts promptly. Periods are small so that the
// device's progress is seen at a fine grain.
constexpr unsigned kBufferMicroseconds = 400000;
constexpr unsigned kPeriodMicroseconds = 10000;

void SilentErrorHandler(const char*, int, const char*, int, const char*, ...) {}

// ALSA prints its own diagnostics to stderr unless told otherwise, and
// reading its configuration is not safe from several threads at once, so
// every open goes through here.
std::mutex& OpenLock() {
  static std::mutex lock;
  static std::once_flag silenced;
  std::call_once(silenced, [] { snd_lib_error_set_handler(SilentErrorHandler); });
  return lock;
}

snd_pcm_t* OpenRaw(const std::string& name) {
  std::lock_guard<std::mutex> guard(OpenLock());
  snd_pcm_t* pcm = nullptr;
  // Non-blocking: an exclusive device that is in use must not hang the caller.
  if (snd_pcm_open(&pcm, name.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) return nullptr;
  return pcm;
}

// Sets the hardware and software parameters; false when the PCM refuses them.
bool Configure(snd_pcm_t* pcm, unsigned channels, snd_pcm_format_t format, unsigned rate, size_t* capacity) {
  snd_pcm_hw_params_t* hw = nullptr;
  if (snd_pcm_hw_params_malloc(&hw) < 0) return false;
  std::unique_ptr<snd_pcm_hw_params_t, void (*)(snd_pcm_hw_params_t*)> hwOwner(hw, snd_pcm_hw_params_free);
  unsigned bufferTime = kBufferMicroseconds;
  unsigned periodTime = kPeriodMicroseconds;
  int dir = 0;
  if (snd_pcm_hw_params_any(pcm, hw) < 0 || snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED) < 0 ||
      snd_pcm_hw_params_set_format(pcm, hw, format) < 0 || snd_pcm_hw_params_set_channels(pcm, hw, channels) < 0 ||
      snd_pcm_hw_params_set_rate_resample(pcm, hw, 1) < 0 || snd_pcm_hw_params_set_rate(pcm, hw, rate, 0) < 0 ||
      snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &bufferTime, &dir) < 0 ||
      snd_pcm_hw_params_set_period_time_near(pcm, hw, &periodTime, &dir) < 0 || snd_pcm_hw_params(pcm, hw) < 0) {
    return false;
  }
  snd_pcm_uframes_t bufferSize = 0;
  if (snd_pcm_hw_params_get_buffer_size(hw, &bufferSize) < 0 || bufferSize == 0) return false;

  snd_pcm_sw_params_t* sw = nullptr;
  if (snd_pcm_sw_params_malloc(&sw) < 0) return false;
  std::unique_ptr<snd_pcm_sw_params_t, void (*)(snd_pcm_sw_params_t*)> swOwner(sw, snd_pcm_sw_params_free);
  // Start with the first frame written: buffers are paced by the writer, so
  // waiting for the device buffer to fill would only delay the sound.
  if (snd_pcm_sw_params_current(pcm, sw) < 0 || snd_pcm_sw_params_set_start_threshold(pcm, sw, 1) < 0 ||
      snd_pcm_sw_params(pcm, sw) < 0) {
    return false;
  }
  *capacity = bufferSize;
  return true;
}

}  // namespace

std::unique_ptr<WaveOutAlsaPcm> WaveOutAlsaPcm::Open(const std::string& name, unsigned channels, unsigned bitsPerSample,
                                                     unsigned rate, bool* badFormat) {
  *badFormat = false;
  snd_pcm_t* pcm = OpenRaw(name);
  if (!pcm) return nullptr;
  const snd_pcm_format_t format = bitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
  size_t capacity = 0;
  if (!Configure(pcm, channels, format, rate, &capacity)) {
    snd_pcm_close(pcm);
    *badFormat = true;
    return nullptr;
  }
  std::unique_ptr<WaveOutAlsaPcm> owner(new (std::nothrow) WaveOutAlsaPcm(pcm, capacity, rate));
  if (!owner) snd_pcm_close(pcm);
  return owner;
}

bool WaveOutAlsaPcm::CanOpen(const std::string& name) {
  snd_pcm_t* pcm = OpenRaw(name);
  if (!pcm) return false;
  snd_pcm_close(pcm);
  return true;
}

WaveOutAlsaPcm::~WaveOutAlsaPcm() {
  snd_pcm_drop(pcm_);
  snd_pcm_close(pcm_);
}

long WaveOutAlsaPcm::Write(const uint8_t* data, size_t frames) {
  // One recovery attempt per call: an underrun between buffers is normal
  // (the device ran dry), a suspend is rare; anything else is a lost device.
  for (int attempt = 0; attempt < 2; ++attempt) {
    const snd_pcm_sframes_t n = snd_pcm_writei(pcm_, data, frames);
    if (n >= 0) {
      writtenSince_ += static_cast<size_t>(n);
      return static_cast<long>(n);
    }
    if (n == -EAGAIN) return 0;
    if (snd_pcm_recover(pcm_, static_cast<int>(n), 1) < 0) return -1;
  }
  return -1;
}

size_t WaveOutAlsaPcm::Pending() {
  size_t pending = 0;
  snd_pcm_sframes_t delay = 0;
  if (snd_pcm_state(pcm_) == SND_PCM_STATE_RUNNING && snd_pcm_delay(pcm_, &delay) >= 0 && delay > 0) {
    pending = static_cast<size_t>(delay);
  }
  const auto now = std::chrono::steady_clock::now();
  if (measured_) {
    // No device plays faster than real time: what was pending then, plus
    // what was written since, less the time gone by, is the most that can
    // be pending now.
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now - lastTime_).count();
    const size_t elapsed = static_cast<size_t>(static_cast<double>(ns) * rate_ / 1e9);
    const size_t bound = lastPending_ + writtenSince_;
    pending = std::min(pending, bound > elapsed ? bound - elapsed : 0);
  }
  measured_ = true;
  lastPending_ = pending;
  lastTime_ = now;
  writtenSince_ = 0;
  return pending;
}

void WaveOutAlsaPcm::Drop() {
  snd_pcm_drop(pcm_);
  snd_pcm_prepare(pcm_);
  measured_ = false;
  writtenSince_ = 0;
}
