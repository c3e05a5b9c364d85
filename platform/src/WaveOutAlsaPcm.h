// An ALSA playback PCM opened non-blocking for one interleaved PCM format.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "WaveOutPcm.h"

typedef struct _snd_pcm snd_pcm_t;

class WaveOutAlsaPcm final : public WaveOutPcm {
 public:
  // Opens the PCM `name` for `channels` channels of unsigned 8-bit or
  // signed 16-bit little-endian samples at exactly `rate` samples per
  // second. Null when the PCM does not exist or cannot be opened now, or
  // when it refuses the format (then *badFormat is set).
  static std::unique_ptr<WaveOutAlsaPcm> Open(const std::string& name, unsigned channels, unsigned bitsPerSample,
                                              unsigned rate, bool* badFormat);
  // True when the PCM `name` can be opened for playback now.
  static bool CanOpen(const std::string& name);

  ~WaveOutAlsaPcm() override;
  WaveOutAlsaPcm(const WaveOutAlsaPcm&) = delete;
  WaveOutAlsaPcm& operator=(const WaveOutAlsaPcm&) = delete;

  long Write(const uint8_t* data, size_t frames) override;
  size_t Pending() override;
  void Drop() override;
  size_t Capacity() const override { return capacity_; }

 private:
  WaveOutAlsaPcm(snd_pcm_t* pcm, size_t capacity, unsigned rate) : pcm_(pcm), capacity_(capacity), rate_(rate) {}

  snd_pcm_t* pcm_;
  size_t capacity_;
  unsigned rate_;
  // The last answer of Pending, when it was given, and the frames written
  // since: a sound server's plug-in keeps reporting its own latency as
  // delay once the stream has run dry, so the delay is believed only as far
  // as real time allows.
  bool measured_ = false;
  size_t lastPending_ = 0;
  std::chrono::steady_clock::time_point lastTime_;
  size_t writtenSince_ = 0;
};
