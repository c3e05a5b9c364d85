// The sample: analysis and rendering checked against a plain transcription
// of the formulas, its refusals, and its playback captured through ALSA's
// file PCM.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ISampleSequence.h"
#include "ModelTestSupport.h"
#include "SampleTestSupport.h"
#include "SoundTestSupport.h"
#include "Synthesizer.h"
#include "TempDir.h"
#include "platform/Kernel.h"
#include "platform/WaveOut.h"

namespace {

using nvtest::TakeErrorText;
using soundtest::ArrayVariant;
using soundtest::ClientSinePeriod;
using soundtest::kClientFrequency;
using soundtest::kClientRate;
using soundtest::NewFilledSample;
using soundtest::NewSample;
using soundtest::Rendered;
using soundtest::UseAudioDevice;
using Bytes = std::vector<BYTE>;
using Clock = std::chrono::steady_clock;

constexpr LONG kQuarter = 5242880;
constexpr LONG kSixteenth = 1310720;
constexpr LONG kWhole = 20971520;

// The analysis and rendering written out term by term as they are defined,
// for lengths of at least 141 samples.
struct Reference {
  struct H {
    int m;
    double amplitude, phase;
  };
  double mean = 0;
  std::vector<H> harmonics;
  double periods = 0;

  Reference(const Bytes& x, double R, double frequency) {
    const double pi = 3.14159265;
    const double N = static_cast<double>(x.size());
    double total = 0;
    for (BYTE v : x) total += v;
    mean = total / N;
    const double H = N * (1 / R) * 0.5;
    for (int m = 1; m <= 5; ++m) {
      double sa = 0, sb = 0;
      for (size_t n = 0; n < x.size(); ++n) {
        const double theta = m * pi * static_cast<double>(n + 1) * (1 / R) / H;
        sa += x[n] * std::cos(theta);
        sb += x[n] * std::sin(theta);
      }
      const double a = 2 / N * sa, b = 2 / N * sb;
      const double A = std::sqrt(b * b + a * a);
      if (!(A > 1)) continue;
      double phi;
      if (b == 0) {
        phi = a > 0 ? 1.570796325 : 4.712388975;
      } else {
        const double g = std::atan(std::fabs(a / b));
        if (b < 0 && a >= 0)
          phi = pi - g;
        else if (b < 0)
          phi = pi + g;
        else if (a < 0)
          phi = 6.2831853 - g;
        else
          phi = g;
      }
      harmonics.push_back({m, A, phi});
    }
    periods = N * frequency * (1 / R);
  }

  Bytes Render(long f, long L) const {
    const size_t len = static_cast<size_t>(std::ceil(L / 10000000.0 * 11025));
    const double omega = f * 6.2831853 / periods;
    Bytes out(len);
    for (size_t i = 0; i < len; ++i) {
      double s = mean;
      for (const H& h : harmonics) s += h.amplitude * std::sin(h.phase + h.m * omega * (i + 1.0) * (1.0 / 11025));
      int c = static_cast<int>(std::ceil(s - 0.5)) & 0xFF;
      if (i / 70.0 < 1) c = 127 + static_cast<int>(std::ceil((c - 127) * static_cast<double>(i) / 70 - 0.5));
      if (i >= len - 141) {
        const double k = static_cast<double>(i - (len - 141));
        c = 127 + static_cast<int>(std::ceil((1 - k / 140) * (c - 127) - 0.5));
      }
      out[i] = static_cast<BYTE>(c);
    }
    return out;
  }
};

TEST(Synthesizer, ClientSineIsOnePureHarmonic) {
  nv::Synthesizer synth;
  const Bytes wave = ClientSinePeriod();
  synth.Analyse(wave.data(), wave.size(), kClientRate, kClientFrequency);
  EXPECT_EQ(synth.periods(), 1.0);
  EXPECT_NEAR(synth.mean(), 127.0, 0.5);
  ASSERT_EQ(synth.harmonics().size(), 1u);
  EXPECT_EQ(synth.harmonics()[0].number, 1);
  EXPECT_NEAR(synth.harmonics()[0].amplitude, 48.0, 0.5);
}

TEST(Synthesizer, RendersExactlyAsDefined) {
  struct Case {
    Bytes wave;
    double frequency;
  };
  // The clients' sine, and a richer period with several harmonics and a DC step.
  Bytes rich(40);
  for (size_t i = 0; i < rich.size(); ++i) rich[i] = static_cast<BYTE>(i < 13 ? 220 : (i * 37) % 90);
  const Case waves[] = {{ClientSinePeriod(), kClientFrequency}, {rich, 11025.0 / 40}};
  const struct {
    LONG frequency, length;
    size_t expectedLength;
  } notes[] = {
      {440, kQuarter, 5781},
      {208, kSixteenth, 1446},
      {1245, kWhole, 23122},
      {392, kSixteenth + 655360, 2168},
  };
  for (const Case& wave : waves) {
    nv::Synthesizer synth;
    synth.Analyse(wave.wave.data(), wave.wave.size(), 11025, wave.frequency);
    const Reference reference(wave.wave, 11025, wave.frequency);
    ASSERT_EQ(synth.harmonics().size(), reference.harmonics.size());
    for (const auto& note : notes) {
      Bytes out(nv::Synthesizer::RenderLength(note.length));
      EXPECT_EQ(out.size(), note.expectedLength);
      synth.Render(note.frequency, out.data(), out.size());
      EXPECT_EQ(out, reference.Render(note.frequency, note.length)) << note.frequency << " Hz, " << note.length;
    }
  }
}

TEST(Synthesizer, FadesStartAndEndOnTheCentre) {
  nv::Synthesizer synth;
  const Bytes wave = ClientSinePeriod();
  synth.Analyse(wave.data(), wave.size(), kClientRate, kClientFrequency);
  // Lengths from a single sample to well past the fades, short ones
  // included: those fade out over their whole length.
  for (size_t length : {1u, 2u, 20u, 71u, 140u, 141u, 142u, 211u, 1446u}) {
    Bytes out(length);
    synth.Render(440, out.data(), out.size());
    EXPECT_EQ(out.front(), 127) << length;
    EXPECT_EQ(out.back(), 127) << length;
    // Within the fade-in the distance from the centre grows at most linearly
    // (full amplitude 48, rounding 1); within a short buffer's fade-out it
    // shrinks linearly to nothing.
    for (size_t i = 0; i < length && i < 70; ++i) {
      EXPECT_LE(std::abs(out[i] - 127), 48.0 * i / 70 + 1) << length << " @" << i;
    }
    if (length > 1 && length <= 141) {
      for (size_t i = 0; i < length; ++i) {
        EXPECT_LE(std::abs(out[i] - 127), 48.0 * (length - 1 - i) / (length - 1) + 1) << length << " @" << i;
      }
    }
  }
}

class SampleTest : public testing::Test {
 protected:
  void SetUp() override { UseAudioDevice("null"); }
};

TEST_F(SampleTest, RefusalsCarryTheirTexts) {
  auto sample = NewSample();
  EXPECT_EQ(sample->PreparePlay(440, kQuarter), E_FAIL);
  EXPECT_EQ(TakeErrorText(), u"Образец не заполнен.\nНеобходимо вызвать метод Fill.\n");
  EXPECT_EQ(sample->Play(nullptr), E_FAIL);
  EXPECT_EQ(TakeErrorText(), u"Образец не готов к воспроизведению.\nНеобходимо вызвать метод PreparePlay.\n");

  VARIANT scalar;
  VariantInit(&scalar);
  scalar.vt = VT_UI1;
  scalar.bVal = 127;
  ArrayVariant shorts(VT_I2, ClientSinePeriod());
  ArrayVariant empty(VT_UI1, {});
  for (const VARIANT* bad : {static_cast<const VARIANT*>(&scalar), &shorts.get(), &empty.get()}) {
    EXPECT_EQ(sample->Fill(*bad, kClientRate, kClientFrequency), E_INVALIDARG);
    EXPECT_EQ(TakeErrorText(), u"Ошибка в первом параметре (VARIANT)\n");
  }
  // Still unfilled after the failures.
  EXPECT_EQ(sample->PreparePlay(440, kQuarter), E_FAIL);

  ArrayVariant wave(VT_UI1, ClientSinePeriod());
  ASSERT_EQ(sample->Fill(wave.get(), kClientRate, kClientFrequency), S_OK);
  ASSERT_EQ(sample->PreparePlay(440, kQuarter), S_OK);
  // A failed render leaves nothing to play.
  EXPECT_EQ(sample->PreparePlay(440, 0), E_INVALIDARG);
  EXPECT_EQ(sample->Play(nullptr), E_FAIL);
  EXPECT_EQ(TakeErrorText(), u"Образец не готов к воспроизведению.\nНеобходимо вызвать метод PreparePlay.\n");
}

// A PCM named in the settings that cannot be opened is reported absent; with
// nothing configured and no default PCM (no sound card, no sound server)
// the sample plays in silence on the null PCM and the layer says so.
TEST(SampleWithoutDevice, NamedPcmFailsUnsetFallsBackToSilence) {
  // No sound server for this process: a runtime folder where none runs.
  nvtest::TempDir runtime;
  setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
  UseAudioDevice("");  // an empty value counts as none
  EXPECT_EQ(waveOutGetNumDevs(), 1u);
  if (WaveOutUsesSilentFallback() == 0) GTEST_SKIP() << "this machine has a sound card";
  ArrayVariant wave(VT_UI1, ClientSinePeriod());
  auto sample = NewSample();
  EXPECT_EQ(sample->Fill(wave.get(), kClientRate, kClientFrequency), S_OK);
  EXPECT_EQ(WaveOutUsesSilentFallback(), 1);
  ASSERT_EQ(sample->PreparePlay(440, kSixteenth), S_OK);
  HANDLE finished = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  const Clock::time_point start = Clock::now();
  ASSERT_EQ(sample->Play(finished), S_OK);
  ASSERT_EQ(WaitForSingleObject(finished, 20000), WAIT_OBJECT_0);
  // In real time, not swallowed at once.
  EXPECT_GE(std::chrono::duration<double>(Clock::now() - start).count(), 0.131);
  CloseHandle(finished);

  UseAudioDevice("nv_no_such_pcm");
  auto named = NewSample();
  EXPECT_EQ(named->Fill(wave.get(), kClientRate, kClientFrequency), E_FAIL);
  EXPECT_EQ(TakeErrorText(), u"Аудио-устройство отсутсвует\n");
}

// A Fill the sample cannot use is refused before anything changes: the
// earlier analysis keeps rendering exactly as before.
TEST_F(SampleTest, FillRefusesUnusableRatesAndPeriods) {
  auto sample = NewFilledSample();
  ASSERT_EQ(sample->PreparePlay(440, kQuarter), S_OK);
  const Bytes before = Rendered(sample.get());
  const struct {
    LONG rate;
    double frequency;
  } cases[] = {
      {0, 0},
      {0, 204},
      {-11025, kClientFrequency},
      {kClientRate, -204},
      {kClientRate, 0},
      {kClientRate, 100},  // 54 bytes hold less than one period
      {kClientRate, std::nan("")},
      {kClientRate, HUGE_VAL},
  };
  ArrayVariant wave(VT_UI1, ClientSinePeriod());
  for (const auto& c : cases) {
    EXPECT_EQ(sample->Fill(wave.get(), c.rate, c.frequency), E_INVALIDARG) << c.rate << " " << c.frequency;
    ASSERT_EQ(sample->PreparePlay(440, kQuarter), S_OK) << c.rate << " " << c.frequency;
    EXPECT_EQ(Rendered(sample.get()), before) << c.rate << " " << c.frequency;
  }
}

TEST_F(SampleTest, RefillReplacesTheTimbre) {
  auto once = NewFilledSample();
  auto twice = NewFilledSample();
  ArrayVariant wave(VT_UI1, ClientSinePeriod());
  ASSERT_EQ(twice->Fill(wave.get(), kClientRate, kClientFrequency), S_OK);
  ASSERT_EQ(once->PreparePlay(523, kQuarter), S_OK);
  ASSERT_EQ(twice->PreparePlay(523, kQuarter), S_OK);
  EXPECT_EQ(Rendered(once.get()), Rendered(twice.get()));
}

TEST_F(SampleTest, PlayRefusedWhileBusyAndStaleStopIgnored) {
  auto sample = NewFilledSample();
  // A stop while idle must not cut the next sound.
  EXPECT_EQ(sample->Stop(), S_OK);
  ASSERT_EQ(sample->PreparePlay(440, kQuarter), S_OK);
  HANDLE finished = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  const Clock::time_point start = Clock::now();
  ASSERT_EQ(sample->Play(finished), S_OK);
  EXPECT_EQ(sample->Play(nullptr), E_FAIL);
  EXPECT_EQ(TakeErrorText(), u"Объект занят\n");
  ArrayVariant wave(VT_UI1, ClientSinePeriod());
  EXPECT_EQ(sample->Fill(wave.get(), kClientRate, kClientFrequency), E_ABORT);
  EXPECT_EQ(TakeErrorText(), u"Объект занят\n");
  // Rendering the next note while this one sounds is allowed.
  EXPECT_EQ(sample->PreparePlay(494, kSixteenth), S_OK);
  ASSERT_EQ(WaitForSingleObject(finished, 20000), WAIT_OBJECT_0);
  EXPECT_GE(std::chrono::duration<double>(Clock::now() - start).count(), 0.52);
  EXPECT_EQ(sample->Play(finished), S_OK);
  ASSERT_EQ(WaitForSingleObject(finished, 20000), WAIT_OBJECT_0);
  CloseHandle(finished);
}

// One buffer may wait behind the sounding one; each reports its own end, in
// order, and a stop ends both.
TEST_F(SampleTest, ABufferHandedOverFollowsTheSoundingOne) {
  auto sample = NewFilledSample();
  nv::ComPtr<nv::ISampleSequence> sequence;
  ASSERT_EQ(sample->QueryInterface(nv::IID_ISampleSequence, sequence.putVoid()), S_OK);
  for (bool stop : {false, true}) {
    ASSERT_EQ(sample->PreparePlay(440, kQuarter), S_OK);
    HANDLE first = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    HANDLE second = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    ASSERT_EQ(sequence->PlayNext(first), S_OK);
    ASSERT_EQ(sequence->PlaySilenceNext(kSixteenth, second), S_OK);
    EXPECT_EQ(sequence->PlayNext(nullptr), E_FAIL);
    EXPECT_EQ(TakeErrorText(), u"Объект занят\n");
    EXPECT_EQ(sample->Play(nullptr), E_FAIL);
    EXPECT_EQ(TakeErrorText(), u"Объект занят\n");
    if (stop) {
      EXPECT_EQ(sample->Stop(), S_OK);
    }
    const HANDLE both[2] = {first, second};
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 20000), WAIT_OBJECT_0) << stop;  // the first ends first
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 20000), WAIT_OBJECT_0) << stop;
    CloseHandle(first);
    CloseHandle(second);
  }
  EXPECT_EQ(sequence->PlaySilenceNext(0, nullptr), E_INVALIDARG);
}

TEST_F(SampleTest, DestructionWaitsForPlayback) {
  auto sample = NewFilledSample();
  ASSERT_EQ(sample->PreparePlay(440, kWhole * 4), S_OK);
  HANDLE finished = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  ASSERT_EQ(sample->Play(finished), S_OK);
  sample.reset();  // stops the sound and waits for the thread
  EXPECT_EQ(WaitForSingleObject(finished, 0), WAIT_OBJECT_0);
  CloseHandle(finished);
}

TEST_F(SampleTest, DeviceReceivesTheRenderedBytes) {
  nvtest::TempDir dir;
  const std::string capture = dir.file("note.raw");
  auto sample = NewFilledSample();
  UseAudioDevice("file:'" + capture + "',raw");
  ASSERT_EQ(sample->PreparePlay(659, kSixteenth), S_OK);
  HANDLE finished = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  ASSERT_EQ(sample->Play(finished), S_OK);
  ASSERT_EQ(WaitForSingleObject(finished, 20000), WAIT_OBJECT_0);
  CloseHandle(finished);
  WaveOutReleaseStreams();  // the file is complete once its stream is closed
  std::ifstream in(capture, std::ios::binary);
  const Bytes captured{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(captured.size(), 1446u);
  EXPECT_EQ(captured, Rendered(sample.get()));
}

TEST_F(SampleTest, UnopenableDeviceEndsPlaybackAtOnce) {
  auto sample = NewFilledSample();
  ASSERT_EQ(sample->PreparePlay(440, kWhole), S_OK);
  UseAudioDevice("nv_no_such_pcm");
  HANDLE finished = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  const Clock::time_point start = Clock::now();
  ASSERT_EQ(sample->Play(finished), S_OK);
  ASSERT_EQ(WaitForSingleObject(finished, 20000), WAIT_OBJECT_0);
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 1.5);
  CloseHandle(finished);
}

}  // namespace
