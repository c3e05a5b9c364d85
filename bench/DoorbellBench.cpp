// The doorbell device stack with the real bit timing: a full 32 KByte set
// written through the bell object (appends of 30-note melodies until the
// device refuses) and read back, through the bus library and the virtual
// doorbell. Each phase is set against the floor its timing fixes: 11 us of
// busy waiting per bit, nine bits per byte on the bus (select, address and
// data bytes), 16 us for each start and 11 us for each stop condition, and
// a 10 ms pause before each written page. The bus traffic of the floor is
// counted by running the same procedures once in simulated time.
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BellMemory29.h"
#include "chimox/Chimox.h"
#include "platform/Kernel.h"
#include "platform/Library.h"
#include "platform/MessageQueue.h"
#include "platform/Registry.h"
#include "portix/EepromModel.h"
#include "portix/PortSetting.h"
#include "portix/Portix.h"
#include "portix/RealClock.h"
#include "portix/SimulatedLines.h"
#include "portix/TwoWireBus.h"
#include "portix/VirtualClock.h"
#include "sonvox/Sonvox.h"

namespace {

constexpr size_t kImageSize = 32768;
constexpr int kNotesPerMelody = 30;
constexpr double kSecondsPerByte = 9 * 11e-6;
constexpr double kSecondsPerStart = 16e-6;
constexpr double kSecondsPerStop = 11e-6;
constexpr double kSecondsPerPage = 10e-3;

std::filesystem::path g_work;

std::string ModuleDir() {
  return NV_BENCH_BIN_DIR;
}

void SetPort(const std::string& port) {
  HKEY key = nullptr;
  if (RegCreateKeyEx(HKEY_CURRENT_USER, portix::kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    std::abort();
  }
  RegSetValueEx(key, portix::kPortValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(port.c_str()),
                static_cast<DWORD>(port.size() + 1));
  RegCloseKey(key);
}

// A version 2.9 bell object on port; null when none can be made.
IBell_ver2_9* BellOn(const std::string& port) {
  SetPort(port);
  IBell_ver2_9* bell = nullptr;
  if (FAILED(CoCreateInstance(CLSID_Bell, nullptr, CLSCTX_INPROC_SERVER, IID_IBell_ver2_9,
                              reinterpret_cast<void**>(&bell)))) {
    return nullptr;
  }
  return bell;
}

bool RegisterModule(const char* name) {
  HMODULE module = LoadLibrary((ModuleDir() + "/" + name).c_str());
  if (!module) return false;
  auto registerServer = reinterpret_cast<LPFNREGISTERSERVER>(GetProcAddress(module, "DllRegisterServer"));
  const bool ok = registerServer && registerServer() == S_OK;
  FreeLibrary(module);
  return ok;
}

IMelody* NewMelody(int seed) {
  IMelody* melody = nullptr;
  if (FAILED(CoCreateInstance(CLSID_Melody, nullptr, CLSCTX_INPROC_SERVER, IID_IMelody,
                              reinterpret_cast<void**>(&melody)))) {
    return nullptr;
  }
  for (int i = 0; i < kNotesPerMelody; ++i) {
    melody->InsertNoteValues(static_cast<SHORT>((seed * 7 + i * 5) % 32), static_cast<SHORT>(i % 5),
                             static_cast<SHORT>(i % 3 == 0 ? FLAG_DOT : 0));
  }
  return melody;
}

// The virtual doorbell of an image file on a bus of its own, timed by Clock.
template <class Clock>
struct ImageBus {
  explicit ImageBus(const std::string& image) {
    std::string error;
    memory = portix::EepromModel::Open(image, kImageSize, clock, &error);
    if (!memory) std::abort();
    lines = std::make_unique<portix::SimulatedLines>(memory.get());
    bus = std::make_unique<portix::TwoWireBus>(*lines, clock);
  }
  Clock clock;
  std::unique_ptr<portix::EepromModel> memory;
  std::unique_ptr<portix::SimulatedLines> lines;
  std::unique_ptr<portix::TwoWireBus> bus;
};

// What the transfers of a procedure put on the bus, and the waiting its
// timing fixes.
struct BusTraffic {
  // One transfer: a start, the select byte, address or data bytes, and a
  // stop when the request asks for one.
  void Add(DWORD code, const BYTE* input, DWORD inputLength, DWORD outputLength) {
    ++transfers;
    bytes += 1 + (code == IOCTL_BUS_READ ? outputLength : inputLength - 2);
    if (inputLength >= 2 && input[1] != 0) ++stops;
  }
  double Seconds() const {
    return static_cast<double>(bytes) * kSecondsPerByte + static_cast<double>(transfers) * kSecondsPerStart +
           static_cast<double>(stops) * kSecondsPerStop;
  }
  size_t transfers = 0;
  size_t bytes = 0;
  size_t stops = 0;
};

// Counts the bus traffic and written pages of the procedures, in simulated time.
class CountingPort final : public chimox::BusPort {
 public:
  explicit CountingPort(const std::string& image) : bus_(image) {}
  bool Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength) override {
    traffic.Add(code, input, inputLength, outputLength);
    return bus_.bus->Transfer(code, input, inputLength, output, outputLength).ok;
  }
  void Pause(DWORD milliseconds) override {
    ++pages;
    bus_.clock.Advance(milliseconds * 1000);
  }
  double Floor() const { return traffic.Seconds() + static_cast<double>(pages) * kSecondsPerPage; }
  void Reset() {
    traffic = {};
    pages = 0;
  }
  BusTraffic traffic;
  size_t pages = 0;

 private:
  ImageBus<portix::VirtualClock> bus_;
};

struct AlwaysOn final : chimox::Progress {
  bool Reached(int) override { return true; }
};

// The floors of writing and of reading back the full set; *writeBits the
// part of the write floor spent on the bus.
std::pair<double, double> Floors(int* melodies, double* writeBits) {
  const std::string image = (g_work / "floor.bin").string();
  std::filesystem::remove(image);
  CountingPort port(image);
  chimox::BellMemory29 memory(port);
  AlwaysOn progress;
  BellInfo info{};
  memory.ReadStatus(info, progress);
  info.currentMelody = 1;
  info.selectionMode = BELL_MODE_SEQUENTIAL;
  port.Reset();
  for (int m = 0;; ++m) {
    IMelody* melody = NewMelody(m);
    const int code = memory.AppendMelody(melody, info, false, progress);
    melody->Release();
    if (code != BELL_ERR_NONE) break;
  }
  const double write = port.Floor();
  *writeBits = port.traffic.Seconds();
  *melodies = info.melodyCount;
  port.Reset();
  IMelody* melody = NewMelody(0);
  for (LONG n = 1; n <= info.melodyCount; ++n) {
    melody->Clear();
    memory.ReadMelody(melody, n, info, progress);
  }
  melody->Release();
  return {write, port.Floor()};
}

// CPU seconds of the whole process (the bell's workers do the busy waiting).
double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Waits for the operation's last message; its error code.
LPARAM WaitForEnd(MessageQueue& queue) {
  MessageQueue::Message message{};
  while (queue.Get(&message, INFINITE)) {
    if (message.lParam != 0 || HIWORD(message.wParam) == 100) return message.lParam;
  }
  return -1;
}

void BM_FullSetWriteAndReadBack(benchmark::State& state) {
  int melodies = 0;
  double writeBits = 0;
  const auto [writeFloor, readFloor] = Floors(&melodies, &writeBits);
  MessageQueue queue;
  NotifyTarget target{WM_APP, queue.Window()};
  double writeSeconds = 0;
  double readSeconds = 0;
  double writeCpu = 0;
  double readCpu = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string image = (g_work / "bell.bin").string();
    std::filesystem::remove(image);
    IBell_ver2_9* bell = BellOn("virtual:" + image + "?size=32768");
    if (!bell) {
      state.SkipWithError("no bell object");
      return;
    }
    BellInfo info{};
    bell->ReadInfo(&info, &target);
    WaitForEnd(queue);
    info.currentMelody = 1;
    info.selectionMode = BELL_MODE_SEQUENTIAL;
    state.ResumeTiming();

    const double cpuStart = ProcessCpuSeconds();
    auto start = std::chrono::steady_clock::now();
    for (int m = 0;; ++m) {
      IMelody* melody = NewMelody(m);
      bell->AddMelody(melody, &info, &target, 0);
      const LPARAM code = WaitForEnd(queue);
      melody->Release();
      if (code != BELL_ERR_NONE) break;
    }
    auto middle = std::chrono::steady_clock::now();
    const double cpuMiddle = ProcessCpuSeconds();
    // One melody receives every read, as on the bus alone: making a melody
    // object is the client's cost, not the read-back's.
    IMelody* readInto = NewMelody(0);
    for (LONG n = 1; n <= info.melodyCount; ++n) {
      readInto->Clear();
      bell->ReadMelody(readInto, n, &info, &target);
      WaitForEnd(queue);
    }
    auto end = std::chrono::steady_clock::now();
    readInto->Release();
    writeCpu = cpuMiddle - cpuStart;
    readCpu = ProcessCpuSeconds() - cpuMiddle;
    writeSeconds = std::chrono::duration<double>(middle - start).count();
    readSeconds = std::chrono::duration<double>(end - middle).count();
    if (info.melodyCount != melodies) state.SkipWithError("the set does not match the counted one");
    bell->Release();
  }
  state.counters["melodies"] = melodies;
  state.counters["write_s"] = writeSeconds;
  state.counters["write_floor_s"] = writeFloor;
  state.counters["write_over_floor"] = writeSeconds / writeFloor;
  state.counters["write_cpu_s"] = writeCpu;
  state.counters["write_bit_floor_s"] = writeBits;
  state.counters["read_s"] = readSeconds;
  state.counters["read_floor_s"] = readFloor;
  state.counters["read_over_floor"] = readSeconds / readFloor;
  state.counters["read_cpu_s"] = readCpu;
}
BENCHMARK(BM_FullSetWriteAndReadBack)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// A version 2.9 memory of the given size holding count melodies of
// notesEach notes, current melody 1, built directly in its image file.
std::string StatusImage(size_t size, int count, int notesEach) {
  std::vector<BYTE> image(size, 0xFF);
  auto word = [&](size_t at, size_t value) {
    image[at] = static_cast<BYTE>(value >> 8);
    image[at + 1] = static_cast<BYTE>(value);
  };
  image[0] = 0;
  image[1] = 0;
  word(2, 16);
  word(4, 14 + 2 * static_cast<size_t>(count));
  size_t at = 0x0810;
  for (int m = 0; m < count; ++m) {
    word(0x10 + 2 * static_cast<size_t>(m), at);
    for (int i = 0; i < notesEach; ++i) {
      image[at++] = static_cast<BYTE>(8 * ((m + i) % 32) + i % 5);
      image[at++] = 0;
    }
    image[at++] = 7;
    image[at++] = 0;
  }
  const std::string path = (g_work / ("status-" + std::to_string(size) + ".bin")).string();
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file || std::fwrite(image.data(), 1, image.size(), file) != image.size() || std::fclose(file) != 0) {
    std::abort();
  }
  return path;
}

// A version 2.9 status read through the bell object with the real bit
// timing, from the call to its last message. Arguments: memory size,
// melodies stored (1024 is the longest directory there can be).
void BM_Version29Status(benchmark::State& state) {
  const std::string image = StatusImage(static_cast<size_t>(state.range(0)), static_cast<int>(state.range(1)), 14);
  IBell_ver2_9* bell = BellOn("virtual:" + image);
  if (!bell) {
    state.SkipWithError("no bell object");
    return;
  }
  MessageQueue queue;
  NotifyTarget target{WM_APP, queue.Window()};
  BellInfo info{};
  for (auto _ : state) {
    bell->ReadInfo(&info, &target);
    if (WaitForEnd(queue) != BELL_ERR_NONE || info.melodyCount != state.range(1)) {
      state.SkipWithError("status read failed");
      break;
    }
  }
  bell->Release();
  state.counters["goal_ms"] = 250;
}
BENCHMARK(BM_Version29Status)
    ->Args({16384, 3})
    ->Args({32768, 495})
    ->Args({65536, 1024})
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// What one worker operation costs around its bus traffic: ReadMelody of a
// one-note melody on a virtual doorbell in simulated time (the bus itself
// takes next to nothing), from the call to its last message. This is the
// part of each melody's read-back that the bit timing does not fix.
void BM_OperationOverhead(benchmark::State& state) {
  const std::string image = StatusImage(32768, 1, 1);
  IBell_ver2_9* bell = BellOn("virtual:" + image + "?fast=1");
  if (!bell) {
    state.SkipWithError("no bell object");
    return;
  }
  MessageQueue queue;
  NotifyTarget target{WM_APP, queue.Window()};
  BellInfo info{};
  bell->ReadInfo(&info, &target);
  WaitForEnd(queue);
  IMelody* melody = NewMelody(0);
  for (auto _ : state) {
    melody->Clear();
    bell->ReadMelody(melody, 1, &info, &target);
    if (WaitForEnd(queue) != BELL_ERR_NONE) {
      state.SkipWithError("read failed");
      break;
    }
  }
  melody->Release();
  bell->Release();
}
BENCHMARK(BM_OperationOverhead)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The read-back's bus traffic alone, with the real bit timing: every melody
// of a full set read straight on the bus in the benchmark's thread, with no
// bell object, port lock, worker or message. Set against the read-back
// through the bell it tells what the operations around the bus cost; the
// time spent inside the transfers tells what the rest of the procedure
// costs.
class RealPort final : public chimox::BusPort {
 public:
  explicit RealPort(const std::string& image) : bus_(image) {}
  bool Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength) override {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = bus_.bus->Transfer(code, input, inputLength, output, outputLength).ok;
    inside += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    traffic.Add(code, input, inputLength, outputLength);
    return ok;
  }
  void Pause(DWORD milliseconds) override { Sleep(milliseconds); }
  void Reset() {
    inside = 0;
    traffic = {};
  }
  double inside = 0;  // seconds inside Transfer
  BusTraffic traffic;

 private:
  ImageBus<portix::RealClock> bus_;
};

void BM_ReadBackOnTheBusAlone(benchmark::State& state) {
  constexpr int kCount = 495;  // what the full-set benchmark writes
  RealPort port(StatusImage(kImageSize, kCount, kNotesPerMelody));
  chimox::BellMemory29 memory(port);
  AlwaysOn progress;
  BellInfo info{};
  memory.ReadStatus(info, progress);
  if (info.melodyCount != kCount) {
    state.SkipWithError("status read failed");
    return;
  }
  port.Reset();
  IMelody* melody = NewMelody(0);
  for (auto _ : state) {
    for (LONG n = 1; n <= info.melodyCount; ++n) {
      melody->Clear();
      memory.ReadMelody(melody, n, info, progress);
    }
  }
  melody->Release();
  state.counters["transfers"] = static_cast<double>(port.traffic.transfers);
  state.counters["floor_s"] = port.traffic.Seconds();
  state.counters["inside_transfers_s"] = port.inside;
}
BENCHMARK(BM_ReadBackOnTheBusAlone)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// One sequential read of 1 KByte on the bus with the real bit timing.
void BM_BusReadKByte(benchmark::State& state) {
  ImageBus<portix::RealClock> real((g_work / "kbyte.bin").string());
  portix::TwoWireBus& bus = *real.bus;
  const BYTE address[] = {0xA0, 0, 0, 0};
  const BYTE read[] = {0xA1, 1};
  std::vector<BYTE> out(1024);
  for (auto _ : state) {
    bus.Transfer(IOCTL_BUS_WRITE, address, sizeof address, nullptr, 0);
    bus.Transfer(IOCTL_BUS_READ, read, sizeof read, out.data(), 1024);
  }
  const double floor = (3 + 1 + 1024) * kSecondsPerByte + 2 * kSecondsPerStart + kSecondsPerStop;
  state.counters["floor_ms"] = floor * 1e3;
  state.counters["us_per_byte"] = benchmark::Counter(1028.0 * static_cast<double>(state.iterations()),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_BusReadKByte)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  // A private registry and image folder for the run.
  char pattern[] = "/tmp/doorbell-bench-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  g_work = pattern;
  setenv("XDG_CONFIG_HOME", pattern, 1);
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) || !RegisterModule(CHIMOX_MODULE) ||
      !RegisterModule(SONVOX_MODULE)) {
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  CoUninitialize();
  std::filesystem::remove_all(g_work);
  return 0;
}
