// The wave-output layer on ALSA's null and file PCMs, chosen through the
// registry as on a machine without a sound card.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "SoundTestSupport.h"
#include "TempDir.h"
#include "platform/Kernel.h"
#include "platform/WaveOut.h"

namespace {

using Clock = std::chrono::steady_clock;
using soundtest::UseAudioDevice;

constexpr WAVEFORMATEX kMono8{WAVE_FORMAT_PCM, 1, 11025, 11025, 1, 8, 0};

// Records the callback messages of one device.
struct Recorder {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<UINT> messages;
  std::vector<WAVEHDR*> done;

  static void Callback(HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR param, DWORD_PTR) {
    auto* self = reinterpret_cast<Recorder*>(instance);
    std::lock_guard<std::mutex> lock(self->mutex);
    self->messages.push_back(message);
    if (message == WOM_DONE) self->done.push_back(reinterpret_cast<WAVEHDR*>(param));
    self->changed.notify_all();
  }
  bool WaitDone(size_t count) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(20), [&] { return done.size() >= count; });
  }
};

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
  return bytes;
}

WAVEHDR HeaderFor(std::vector<uint8_t>& bytes) {
  WAVEHDR header{};
  header.lpData = reinterpret_cast<LPSTR>(bytes.data());
  header.dwBufferLength = static_cast<DWORD>(bytes.size());
  return header;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// Presence follows the registry's choice of PCM.
TEST(WaveOut, PresenceOfTheChosenPcm) {
  for (const char* name : {"nv_no_such_pcm", "null"}) {
    UseAudioDevice(name);
    const bool present = std::string(name) == "null";
    EXPECT_EQ(waveOutGetNumDevs(), present ? 1u : 0u) << name;
    WAVEOUTCAPS caps{};
    EXPECT_EQ(waveOutGetDevCaps(WAVE_MAPPER, &caps, sizeof caps), present ? MMSYSERR_NOERROR : MMSYSERR_NODRIVER);
    HWAVEOUT device = reinterpret_cast<HWAVEOUT>(1);
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &kMono8, 0, 0, CALLBACK_NULL),
              present ? MMSYSERR_NOERROR : MMSYSERR_NODRIVER);
    EXPECT_EQ(device != nullptr, present);
    if (device != nullptr) {
      EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    }
  }
}

TEST(WaveOut, OpenRejectsWhatItCannotPlay) {
  UseAudioDevice("null");
  const WAVEFORMATEX badFormats[] = {
      {3, 1, 11025, 11025, 1, 8, 0},                 // not PCM
      {WAVE_FORMAT_PCM, 1, 11025, 16537, 1, 12, 0},  // 12 bits
      {WAVE_FORMAT_PCM, 3, 11025, 33075, 3, 8, 0},   // three channels
      {WAVE_FORMAT_PCM, 1, 11025, 11025, 2, 8, 0},   // block alignment
      {WAVE_FORMAT_PCM, 1, 11025, 8000, 1, 8, 0},    // byte rate
  };
  for (const WAVEFORMATEX& format : badFormats) {
    HWAVEOUT device = nullptr;
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL), WAVERR_BADFORMAT);
    EXPECT_EQ(device, nullptr);
  }
  HWAVEOUT device = nullptr;
  EXPECT_EQ(waveOutOpen(&device, 1, &kMono8, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &kMono8, 1, 0, CALLBACK_THREAD), MMSYSERR_INVALFLAG);
  EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &kMono8, 0, 0, CALLBACK_EVENT), MMSYSERR_INVALFLAG);
  const WAVEFORMATEX stereo16{WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16, 0};
  EXPECT_EQ(waveOutOpen(nullptr, WAVE_MAPPER, &stereo16, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NOERROR);
}

TEST(WaveOut, HeaderStateRules) {
  UseAudioDevice("null");
  Recorder recorder;
  HWAVEOUT device = nullptr;
  ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &kMono8, reinterpret_cast<DWORD_PTR>(&Recorder::Callback),
                        reinterpret_cast<DWORD_PTR>(&recorder), CALLBACK_FUNCTION),
            MMSYSERR_NOERROR);
  std::vector<uint8_t> bytes = Pattern(11025, 0);
  WAVEHDR header = HeaderFor(bytes);
  EXPECT_EQ(waveOutWrite(device, &header, sizeof header), WAVERR_UNPREPARED);
  EXPECT_EQ(waveOutPrepareHeader(device, &header, sizeof header - 1), MMSYSERR_INVALPARAM);
  ASSERT_EQ(waveOutPrepareHeader(device, &header, sizeof header), MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutWrite(device, &header, sizeof header), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutWrite(device, &header, sizeof header), WAVERR_STILLPLAYING);
  EXPECT_EQ(waveOutUnprepareHeader(device, &header, sizeof header), WAVERR_STILLPLAYING);
  EXPECT_EQ(waveOutClose(device), WAVERR_STILLPLAYING);
  EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
  EXPECT_EQ(header.dwFlags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
  EXPECT_EQ(waveOutUnprepareHeader(device, &header, sizeof header), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutClose(device), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(waveOutReset(device), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(recorder.messages, (std::vector<UINT>{WOM_OPEN, WOM_DONE, WOM_CLOSE}));
}

// Two buffers written at once play back to back: the file PCM receives both
// in order, and neither is reported done before its nominal end.
TEST(WaveOut, PlaysInRealTimeAndCapturesExactBytes) {
  nvtest::TempDir dir;
  const std::string capture = dir.file("cap.raw");
  UseAudioDevice("file:'" + capture + "',raw");
  Recorder recorder;
  HWAVEOUT device = nullptr;
  ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &kMono8, reinterpret_cast<DWORD_PTR>(&Recorder::Callback),
                        reinterpret_cast<DWORD_PTR>(&recorder), CALLBACK_FUNCTION),
            MMSYSERR_NOERROR);
  std::vector<uint8_t> first = Pattern(2205, 3);   // 0.2 s
  std::vector<uint8_t> second = Pattern(3308, 9);  // 0.3 s
  WAVEHDR a = HeaderFor(first);
  WAVEHDR b = HeaderFor(second);
  ASSERT_EQ(waveOutPrepareHeader(device, &a, sizeof a), MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutPrepareHeader(device, &b, sizeof b), MMSYSERR_NOERROR);
  const Clock::time_point start = Clock::now();
  ASSERT_EQ(waveOutWrite(device, &a, sizeof a), MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutWrite(device, &b, sizeof b), MMSYSERR_NOERROR);
  ASSERT_TRUE(recorder.WaitDone(1));
  EXPECT_GE(Seconds(Clock::now() - start), 0.2);
  ASSERT_TRUE(recorder.WaitDone(2));
  EXPECT_GE(Seconds(Clock::now() - start), 0.5);
  EXPECT_LT(Seconds(Clock::now() - start), 10.0);
  EXPECT_EQ(recorder.done, (std::vector<WAVEHDR*>{&a, &b}));
  ASSERT_EQ(waveOutClose(device), MMSYSERR_NOERROR);

  std::vector<uint8_t> expected = first;
  expected.insert(expected.end(), second.begin(), second.end());
  EXPECT_EQ(ReadFile(capture), expected);
}

TEST(WaveOut, ResetCutsPlaybackAtOnce) {
  UseAudioDevice("null");
  Recorder recorder;
  HWAVEOUT device = nullptr;
  ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &kMono8, reinterpret_cast<DWORD_PTR>(&Recorder::Callback),
                        reinterpret_cast<DWORD_PTR>(&recorder), CALLBACK_FUNCTION),
            MMSYSERR_NOERROR);
  std::vector<uint8_t> bytes = Pattern(11025 * 30, 0);  // 30 s
  WAVEHDR header = HeaderFor(bytes);
  ASSERT_EQ(waveOutPrepareHeader(device, &header, sizeof header), MMSYSERR_NOERROR);
  const Clock::time_point start = Clock::now();
  ASSERT_EQ(waveOutWrite(device, &header, sizeof header), MMSYSERR_NOERROR);
  Sleep(100);
  EXPECT_FALSE(header.dwFlags & WHDR_DONE);
  ASSERT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
  // Reported done inside the reset, long before the nominal end.
  EXPECT_TRUE(header.dwFlags & WHDR_DONE);
  EXPECT_EQ(recorder.done, std::vector<WAVEHDR*>{&header});
  EXPECT_LT(Seconds(Clock::now() - start), 10.0);

  // The device plays again after a reset, from the moment of the write.
  std::vector<uint8_t> shortBytes = Pattern(1102, 0);
  WAVEHDR next = HeaderFor(shortBytes);
  ASSERT_EQ(waveOutPrepareHeader(device, &next, sizeof next), MMSYSERR_NOERROR);
  const Clock::time_point again = Clock::now();
  ASSERT_EQ(waveOutWrite(device, &next, sizeof next), MMSYSERR_NOERROR);
  ASSERT_TRUE(recorder.WaitDone(2));
  EXPECT_GE(Seconds(Clock::now() - again), 0.1);
  EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

}  // namespace
