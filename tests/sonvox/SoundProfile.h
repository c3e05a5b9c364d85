// What a listener would notice in 8-bit mono sound: the runs of sound and of
// quiet between the first and the last sound. Quiet is the rest level
// (127/128) within 4 either way. The fades where one note ends and the next
// begins make a short quiet stretch (about 18 samples, sometimes broken by a
// few louder ones); a rest or a gap makes a longer one. So quiet stretches
// of a few samples that lie close together count as one, and a merged quiet
// run of at least `minQuiet` samples separates two sound runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace soundtest {

struct SoundRun {
  bool quiet;
  size_t begin;   // sample index in the whole recording
  size_t length;  // samples
};

inline bool IsQuiet(uint8_t sample) {
  return sample >= 123 && sample <= 132;
}

inline std::vector<SoundRun> SoundRuns(const std::vector<uint8_t>& samples, size_t minQuiet) {
  constexpr size_t kShortestStretch = 5;  // a sine passes the rest level in one or two samples
  constexpr size_t kJoin = 10;            // louder samples inside one boundary's fades
  size_t first = 0;
  while (first < samples.size() && IsQuiet(samples[first])) ++first;
  size_t last = samples.size();
  while (last > first && IsQuiet(samples[last - 1])) --last;

  // Quiet stretches as [begin, end), close ones joined.
  std::vector<std::pair<size_t, size_t>> quiet;
  for (size_t i = first; i < last;) {
    if (!IsQuiet(samples[i])) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < last && IsQuiet(samples[j])) ++j;
    if (j - i >= kShortestStretch) {
      if (!quiet.empty() && i - quiet.back().second < kJoin) {
        quiet.back().second = j;
      } else {
        quiet.push_back({i, j});
      }
    }
    i = j;
  }

  std::vector<SoundRun> runs;
  size_t soundStart = first;
  for (const auto& [begin, end] : quiet) {
    if (end - begin < minQuiet) continue;
    runs.push_back({false, soundStart, begin - soundStart});
    runs.push_back({true, begin, end - begin});
    soundStart = end;
  }
  if (last > first) runs.push_back({false, soundStart, last - soundStart});
  return runs;
}

// From the first sound to the end of the last, in samples.
inline size_t Span(const std::vector<SoundRun>& runs) {
  return runs.empty() ? 0 : runs.back().begin + runs.back().length - runs.front().begin;
}

}  // namespace soundtest
