// The sound of a sample: one period of a waveform analysed into its mean
// and first five harmonics, and notes rendered from them as unsigned 8-bit
// mono PCM at 11025 samples per second with a linear fade-in and fade-out.
//
// The arithmetic is fixed to the bit: pi and its multiples are the decimal
// constants below (not full precision), every expression is evaluated in the
// order written, and a value is rounded as ceil(x - 0.5). Stored melodies are
// heard the same on every installation only if this stays exactly so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Types.h"

namespace nv {

class Synthesizer {
 public:
  struct Harmonic {
    int32_t number;    // 1..5
    double amplitude;  // above 1
    double phase;      // radians in [0, 2 pi)
  };

  static constexpr double kPi = 3.14159265;
  static constexpr double kTwoPi = 6.2831853;
  static constexpr double kHalfPi = 1.570796325;
  static constexpr double kThreeHalvesPi = 4.712388975;
  static constexpr LONG kOutputRate = 11025;
  static constexpr double kTicksPerSecond = 10000000.0;
  static constexpr size_t kFadeInSamples = 70;
  static constexpr size_t kFadeOutSteps = 140;
  static constexpr int kHarmonicCount = 5;

  // Analyses n > 0 waveform bytes sampled at sampleRate whose fundamental is
  // frequency: replaces the mean and the number of periods and appends the
  // harmonics whose amplitude exceeds 1. Throws std::bad_alloc (the earlier
  // analysis then stays as it was).
  void Analyse(const BYTE* waveform, size_t n, LONG sampleRate, double frequency);

  // True once an analysis holds at least one whole period.
  bool IsFilled() const { return periods_ >= 1.0; }

  // Samples of a note `length` ticks long: ceil(length / 10^7 * 11025); 0 for length < 1.
  static size_t RenderLength(LONG length);

  // Renders `count` samples of a note of `frequency` Hz into out; requires IsFilled().
  // The first sample and the last are 127 (the centre), the first 70 rise
  // linearly to full amplitude and the last 141 fall linearly back.
  void Render(LONG frequency, BYTE* out, size_t count) const;

  double mean() const { return mean_; }
  double periods() const { return periods_; }
  const std::vector<Harmonic>& harmonics() const { return harmonics_; }

 private:
  double mean_ = 0;
  std::vector<Harmonic> harmonics_;
  double periods_ = 0;
};

}  // namespace nv
