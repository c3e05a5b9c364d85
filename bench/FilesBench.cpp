// File formats: MIDI import of a large multi-track file, and loading and
// saving a melody set of 1,024 melodies of 30 notes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "SyntheticMidi.h"
#include "common/StoFormat.h"
#include "midi/ChannelCollector.h"
#include "midi/MidiReader.h"

namespace {

// A sink that does no work, so the figure is the reader's own.
class NullSink : public IMidiSink {
 public:
  bool AddNote(const ImportedNote&) override {
    ++notes;
    return true;
  }
  LONG MelodyCount() override { return notes > 0 ? 1 : 0; }
  size_t notes = 0;
};

std::string TempPath(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/nvbench-" + std::to_string(getpid()) + "-" + name;
}

// 16 tracks on 16 channels, about 5.7 MB in all, written once per run.
const std::string& LargeMidiFile() {
  static const std::string path = [] {
    std::string p = TempPath("large.mid");
    nvfuzz::Bytes bytes = nvfuzz::SyntheticMidi(16, 80000, 7);
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return p;
  }();
  return path;
}

void BM_MidiImportNullSink(benchmark::State& state) {
  const std::string& path = LargeMidiFile();
  size_t bytes = 0;
  for (auto _ : state) {
    NullSink sink;
    MidiReader reader(sink);
    if (reader.ReadFile(path) != MidiError::None) state.SkipWithError("import failed");
    benchmark::DoNotOptimize(sink.notes);
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    bytes = static_cast<size_t>(in.tellg());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_MidiImportNullSink)->Unit(benchmark::kMillisecond);

void BM_MidiImportCollect(benchmark::State& state) {
  const std::string& path = LargeMidiFile();
  size_t bytes = 0;
  size_t notes = 0;
  for (auto _ : state) {
    ChannelCollector collector;
    MidiReader reader(collector);
    if (reader.ReadFile(path) != MidiError::None) state.SkipWithError("import failed");
    notes = 0;
    for (const ChannelMelody& m : collector.Melodies()) notes += m.notes.size();
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    bytes = static_cast<size_t>(in.tellg());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.counters["notes"] = static_cast<double>(notes);
}
BENCHMARK(BM_MidiImportCollect)->Unit(benchmark::kMillisecond);

std::vector<MelodyData> LargeSet() {
  std::vector<MelodyData> set(1024);
  for (size_t m = 0; m < set.size(); ++m) {
    set[m].name = u"Мелодия " + std::u16string(1, static_cast<char16_t>(u'0' + m % 10));
    for (BYTE i = 0; i < 30; ++i)
      set[m].notes.push_back({static_cast<BYTE>((m + i) % 32), static_cast<BYTE>(i % 5), static_cast<BYTE>(i & 8)});
  }
  return set;
}

void BM_StoSave(benchmark::State& state) {
  const std::vector<MelodyData> set = LargeSet();
  const std::string path = TempPath("set.sto");
  for (auto _ : state) {
    if (StoFormat::Save(path, set) != FileStatus::Ok) state.SkipWithError("save failed");
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * set.size()));
  std::remove(path.c_str());
}
BENCHMARK(BM_StoSave)->Unit(benchmark::kMillisecond);

void BM_StoLoad(benchmark::State& state) {
  const std::string path = TempPath("set.sto");
  if (StoFormat::Save(path, LargeSet()) != FileStatus::Ok) state.SkipWithError("save failed");
  for (auto _ : state) {
    std::vector<MelodyData> set;
    if (StoFormat::Load(path, set) != FileStatus::Ok) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(set.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * 1024));
  std::remove(path.c_str());
}
BENCHMARK(BM_StoLoad)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(LargeMidiFile().c_str());
  return 0;
}
