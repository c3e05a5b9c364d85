// The timbre the programs play melodies with: one period of a 204.17 Hz sine
// (11025 / 54 Hz) at 11025 samples per second, 54 unsigned 8-bit samples of
// amplitude 48 around 127, handed to a Sonvox sample's Fill.
#pragma once

#include <string>
#include <vector>

#include "common/ObjectFactory.h"
#include "sonvox/Sonvox.h"

class ToneSample {
 public:
  static constexpr LONG kSampleRate = 11025;
  static constexpr size_t kSamples = 54;
  static constexpr double kFrequency = 11025.0 / 54;

  // The melody editor's period: time advanced by 1/11025 per sample and the
  // phase taken as 1282.7791666666667 × time.
  static std::vector<BYTE> EditorPeriod();
  // The set editor's period: phase 2π · 204.1666… · k / 11025 for sample k.
  static std::vector<BYTE> SetPeriod();

  // Fill(period as VT_ARRAY | VT_UI1 with lower bound 0, 11025, 11025 / 54).
  // Returns Fill's result, E_POINTER for a null sample, E_OUTOFMEMORY when
  // the array cannot be made.
  static HRESULT Fill(ISample1* sample, const std::vector<BYTE>& period);

  enum class Step { None, Create, Fill };
  struct Failure {
    Step step = Step::None;
    std::u16string description;  // the sample's error description when Fill failed
  };
  // Creates a Sonvox sample and fills it with period. On any failure *out is
  // null (a sample that could not be filled is not kept, so the next attempt
  // starts again) and the failing code is returned; failure, when given,
  // says which step failed.
  static HRESULT Create(const ObjectFactory& factory, const std::vector<BYTE>& period, ISample1** out,
                        Failure* failure = nullptr);
};
