// The project's files as the tool reads and writes them: melodies (.mel),
// melody sets (.sto) and MIDI files, through the shared readers and writers.
// Failures are ToolErrors carrying the texts the programs show for them.
#pragma once

#include <string>
#include <vector>

#include "common/MelodyData.h"
#include "midi/ChannelCollector.h"

class ProgressBar;

class MelodyFiles {
 public:
  enum class Kind { Melody, Set, Midi, RingTone, Unknown };

  // The longest .txt file KindOf reads to tell a tune from other text.
  static constexpr size_t kLargestTextFile = 1 << 20;

  // By extension (.mel, .sto, .mid, .kar, .rtttl for ring-tone text, in any
  // case; "-" is ring-tone text on standard input); a .txt file is ring-tone
  // text when it reads as a tune (at most kLargestTextFile bytes); any other
  // name by the file's first bytes. Unknown when neither tells.
  static Kind KindOf(const std::string& path);

  static MelodyData LoadMelody(const std::string& path);
  static std::vector<MelodyData> LoadSet(const std::string& path);
  // Written whole through a temporary file; an existing file is replaced
  // only on success.
  static void SaveMelody(const std::string& path, const MelodyData& melody);
  static void SaveSet(const std::string& path, const std::vector<MelodyData>& melodies);

  // The channel melodies the MIDI reader finds, in its order; the bar, when
  // given, follows the tracks.
  static std::vector<ChannelMelody> ReadMidi(const std::string& path, ProgressBar* bar);

  // The file's name without its folder and its last extension, as the
  // melody editor names a melody taken from a MIDI file.
  static std::u16string Stem(const std::string& path);
  // The last extension with its dot in lower case (".mel"); empty when the
  // name has none.
  static std::string Extension(const std::string& path);

  // The programs' texts for a file that cannot be opened, read or written,
  // followed by its path.
  static std::u16string OpenError(const std::string& path);
  static std::u16string ReadError(const std::string& path);
  static std::u16string WriteError(const std::string& path);
};
