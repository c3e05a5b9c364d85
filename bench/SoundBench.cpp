// Speed of note rendering and the timing of melody playback on ALSA's null
// PCM. Runs against a private registry in a temporary folder, so the user's
// own "AudioDevice" setting is neither used nor changed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "CComObject.h"
#include "CMelody.h"
#include "CSample.h"
#include "platform/ComPtr.h"
#include "NoteTables.h"
#include "platform/Kernel.h"
#include "platform/Messages.h"
#include "platform/Registry.h"

namespace {

using Clock = std::chrono::steady_clock;

void UseAudioDevice(const char* name) {
  HKEY key = nullptr;
  if (RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\N&V\\Sonvox", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                     nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueEx(key, "AudioDevice", 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                static_cast<DWORD>(std::strlen(name) + 1));
  RegCloseKey(key);
}

// A sample filled with the clients' sine period; null when that fails.
nv::ComPtr<ISample1> FilledSample() {
  nv::ComPtr<ISample1> sample;
  if (FAILED(nv::CComObject<nv::CSample>::CreateInstance(IID_ISample1, sample.putVoid()))) return {};
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, 54);
  if (array == nullptr) return {};
  for (LONG i = 0; i < 54; ++i) {
    BYTE value = static_cast<BYTE>(127 + std::ceil(48 * std::sin(1282.7791666666667 * i / 11025) - 0.5));
    SafeArrayPutElement(array, &i, &value);
  }
  VARIANT waveform;
  VariantInit(&waveform);
  waveform.vt = VT_ARRAY | VT_UI1;
  waveform.parray = array;
  const HRESULT hr = sample->Fill(waveform, 11025, 204.16666666666666);
  VariantClear(&waveform);
  return SUCCEEDED(hr) ? std::move(sample) : nv::ComPtr<ISample1>();
}

// Rendering speed of one note of the given length; real time is 11025 samples per second.
void BM_PreparePlay(benchmark::State& state) {
  nv::ComPtr<ISample1> sample = FilledSample();
  if (!sample) {
    state.SkipWithError("the sample cannot be filled");
    return;
  }
  const LONG length = static_cast<LONG>(state.range(0));
  const int64_t samples = static_cast<int64_t>(std::ceil(length / 10000000.0 * 11025));
  for (auto _ : state) {
    if (FAILED(sample->PreparePlay(440, length))) state.SkipWithError("PreparePlay failed");
  }
  state.SetItemsProcessed(state.iterations() * samples);
  state.counters["x_real_time"] = benchmark::Counter(
      static_cast<double>(samples) / 11025.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PreparePlay)->Arg(1310720)->Arg(5242880)->Arg(20971520)->Unit(benchmark::kMicrosecond);

// From Stop to the finished signal of a sounding note (the device drops
// what it holds instead of draining it).
void BM_StopLatency(benchmark::State& state) {
  nv::ComPtr<ISample1> sample = FilledSample();
  HANDLE finished = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  if (!sample || finished == nullptr || FAILED(sample->PreparePlay(440, 20971520))) {
    state.SkipWithError("no sample");
    if (finished != nullptr) CloseHandle(finished);
    return;
  }
  double worst = 0;
  for (auto _ : state) {
    if (FAILED(sample->Play(finished))) {
      state.SkipWithError("Play failed");
      break;
    }
    Sleep(30);
    const Clock::time_point stop = Clock::now();
    sample->Stop();
    WaitForSingleObject(finished, INFINITE);
    const double seconds = std::chrono::duration<double>(Clock::now() - stop).count();
    worst = std::max(worst, seconds);
    state.SetIterationTime(seconds);
  }
  CloseHandle(finished);
  state.counters["max_ms"] = worst * 1000;
}
BENCHMARK(BM_StopLatency)->Iterations(30)->UseManualTime()->Unit(benchmark::kMillisecond);

// Time stamps of the playback notifications, taken on the posting thread.
class Timeline final : public MessageSink {
 public:
  void Accept(UINT, WPARAM index, LPARAM) override {
    std::lock_guard<std::mutex> lock(mutex_);
    stamps_.push_back({index, Clock::now()});
  }
  std::vector<std::pair<WPARAM, Clock::time_point>> Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::move(stamps_);
  }

 private:
  std::mutex mutex_;
  std::vector<std::pair<WPARAM, Clock::time_point>> stamps_;
};

// 32 note symbols of mixed lengths with rests: notification i is posted as
// note i starts, so the interval between two notifications is the note's
// length plus the gap before the next one.
void BM_MelodyTiming(benchmark::State& state) {
  nv::ComPtr<ISample1> sample = FilledSample();
  nv::ComPtr<IMelody> melody;
  if (!sample || FAILED(nv::CComObject<nv::CMelody>::CreateInstance(IID_IMelody, melody.putVoid()))) {
    state.SkipWithError("no sample or melody");
    return;
  }
  const SHORT durations[] = {DURATION_QUARTER, DURATION_EIGHTH, DURATION_SIXTEENTH,
                             DURATION_EIGHTH,  DURATION_HALF,   DURATION_SIXTEENTH};
  std::vector<double> lengths;
  for (int i = 0; i < 32; ++i) {
    const SHORT duration = durations[i % 6];
    const SHORT flags = static_cast<SHORT>((i % 7 == 3 ? FLAG_REST : 0) | (i % 5 == 1 ? FLAG_DOT : 0));
    melody->InsertNoteValues(static_cast<SHORT>((i * 5) % 32), duration, flags);
    lengths.push_back(nv::NoteLength(static_cast<BYTE>(duration), static_cast<BYTE>(flags)) / 1e7);
  }
  double nominal = 0;
  for (double length : lengths) nominal += length;

  Timeline timeline;
  const HWND window = RegisterMessageTarget(&timeline);
  double worstError = 0;
  double worstGap = 0;
  double gapSum = 0;
  int gapCount = 0;
  for (auto _ : state) {
    if (FAILED(melody->Play(0, sample.get(), window, WM_APP))) {
      state.SkipWithError("Play failed");
      break;
    }
    for (SHORT playing = 1; playing != 0; melody->IsPlaying(&playing)) Sleep(20);
    const auto stamps = timeline.Take();
    if (stamps.size() != 33) {
      state.SkipWithError("notifications missing");
      break;
    }
    const double total = std::chrono::duration<double>(stamps.back().second - stamps.front().second).count();
    worstError = std::max(worstError, std::fabs(total - nominal) / nominal);
    for (size_t i = 0; i + 1 < stamps.size(); ++i) {
      const double gap =
          std::chrono::duration<double>(stamps[i + 1].second - stamps[i].second).count() - lengths[stamps[i].first];
      worstGap = std::max(worstGap, gap);
      gapSum += gap;
      ++gapCount;
    }
  }
  UnregisterMessageTarget(window);
  state.counters["nominal_s"] = nominal;
  state.counters["total_error_pct"] = worstError * 100;
  state.counters["max_gap_ms"] = worstGap * 1000;
  state.counters["mean_gap_ms"] = gapCount ? gapSum / gapCount * 1000 : 0;
}
BENCHMARK(BM_MelodyTiming)->Iterations(3)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  // A private registry for the run, removed afterwards.
  std::string folder = (std::filesystem::temp_directory_path() / "nvbench-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) return 1;
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  UseAudioDevice("null");

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return 0;
}
