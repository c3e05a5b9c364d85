// The sound device behind a wave-output handle: a PCM stream that accepts
// whole frames and reports how many of them it has not yet played. The ALSA
// PCM is the one implementation; the interface keeps the pacing logic of
// WaveOutDevice independent of it.
#pragma once

#include <cstddef>
#include <cstdint>

class WaveOutPcm {
 public:
  virtual ~WaveOutPcm() = default;

  // Hands up to `frames` frames to the device without blocking. Returns the
  // number accepted (0 when the device is full), or a negative value when
  // the device has failed for good and the frames cannot be played.
  virtual long Write(const uint8_t* data, size_t frames) = 0;
  // Frames written but not yet heard; 0 when the device is idle, has run
  // dry or cannot tell.
  virtual size_t Pending() = 0;
  // Discards every frame not yet played; the device accepts new frames afterwards.
  virtual void Drop() = 0;
  // The most frames the device can hold ahead of what it plays.
  virtual size_t Capacity() const = 0;
};
