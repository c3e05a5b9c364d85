#include "Synthesizer.h"

#include <cmath>

namespace nv {

namespace {

// ceil(x - 0.5) as an integer; 0 for a value no sample can take (NaN, huge).
int RoundHalfUp(double x) {
  const double r = std::ceil(x - 0.5);
  if (!(r > -1e9 && r < 1e9)) return 0;
  return static_cast<int>(r);
}

// The phase of a harmonic from its cosine part a and sine part b, by quadrant.
double PhaseOf(double a, double b) {
  if (b == 0) return a > 0 ? Synthesizer::kHalfPi : Synthesizer::kThreeHalvesPi;
  const double g = std::atan(std::fabs(a / b));
  if (b < 0) return a >= 0 ? Synthesizer::kPi - g : Synthesizer::kPi + g;
  return a < 0 ? Synthesizer::kTwoPi - g : g;
}

}  // namespace

void Synthesizer::Analyse(const BYTE* x, size_t n, LONG sampleRate, double frequency) {
  const double count = static_cast<double>(n);
  double sum = 0;
  for (size_t i = 0; i < n; ++i) sum += x[i];
  const double mean = sum / count;

  const double R = sampleRate;
  const double H = count * (1 / R) * 0.5;  // half the waveform's duration in seconds
  std::vector<Harmonic> found;
  found.reserve(kHarmonicCount);
  for (int m = 1; m <= kHarmonicCount; ++m) {
    double cosSum = 0;
    double sinSum = 0;
    for (size_t i = 0; i < n; ++i) {
      // 2 pi m (i + 1) / n: the sample index is counted from 1.
      const double theta = m * kPi * static_cast<double>(i + 1) * (1 / R) / H;
      cosSum += x[i] * std::cos(theta);
      sinSum += x[i] * std::sin(theta);
    }
    const double a = 2 / count * cosSum;
    const double b = 2 / count * sinSum;
    const double amplitude = std::sqrt(b * b + a * a);
    if (amplitude > 1) found.push_back({m, amplitude, PhaseOf(a, b)});
  }

  // Nothing above can be half done: the object changes only from here on.
  harmonics_ = std::move(found);
  mean_ = mean;
  periods_ = count * frequency * (1 / R);
}

size_t Synthesizer::RenderLength(LONG length) {
  if (length < 1) return 0;
  return static_cast<size_t>(std::ceil(length / kTicksPerSecond * kOutputRate));
}

void Synthesizer::Render(LONG frequency, BYTE* out, size_t count) const {
  if (count == 0) return;
  const double samplePeriod = 1.0 / kOutputRate;
  const double omega = frequency * kTwoPi / periods_;
  // The fade-out spans the last 141 samples (140 steps), or the whole buffer
  // when it is shorter, so that every note ends on the centre value.
  const size_t fadeSteps = count > kFadeOutSteps ? kFadeOutSteps : count - 1;
  const size_t fadeStart = count - 1 - fadeSteps;
  for (size_t i = 0; i < count; ++i) {
    double s = mean_;
    for (const Harmonic& h : harmonics_) {
      s += h.amplitude * std::sin(h.phase + h.number * omega * static_cast<double>(i + 1) * samplePeriod);
    }
    int c = static_cast<BYTE>(RoundHalfUp(s));  // the low 8 bits
    if (i < kFadeInSamples) {
      c = 127 + RoundHalfUp((c - 127) * static_cast<double>(i) / static_cast<double>(kFadeInSamples));
    }
    if (i >= fadeStart) {
      const size_t k = i - fadeStart;
      const double gain = fadeSteps == 0 ? 0.0 : 1 - static_cast<double>(k) / static_cast<double>(fadeSteps);
      c = 127 + RoundHalfUp(gain * (c - 127));
    }
    out[i] = static_cast<BYTE>(c);
  }
}

}  // namespace nv
