// nvtool's file commands end to end: the built program on real files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>

#include "TempDir.h"
#include "ToolRunner.h"
#include "common/StoFormat.h"
#include "midi/ChannelCollector.h"
#include "midi/MidiReader.h"
#include "midi/MidiWriter.h"

namespace {

using nvtest::Melody;
using nvtest::RunTool;
using nvtest::ToolResult;

const std::string kDemoTune = NV_SOURCE_DIR "/scripts/demo-tune.mid";

class FileCommandsTest : public ::testing::Test {
 protected:
  ToolResult Run(const std::vector<std::string>& args) { return RunTool(args, dir_.path()); }
  std::string File(const std::string& name) const { return dir_.file(name); }

  nvtest::TempDir dir_;
};

TEST_F(FileCommandsTest, ImportTakesTheFragmentOfTheChosenChannelMelodyNamedAfterTheFile) {
  ChannelCollector reference;
  MidiReader reader(reference);
  ASSERT_EQ(MidiError::None, reader.ReadFile(kDemoTune));
  ASSERT_EQ(3u, reference.Melodies().size());

  struct Case {
    std::vector<std::string> options;
    size_t melody;  // 0-based
    size_t from;
    size_t to;  // 0: the melody's end
  };
  const Case cases[] = {
      {{}, 0, 0, 0},
      {{"--melody", "2", "--from", "1", "--to", "5"}, 1, 1, 5},
      {{"--melody", "3", "--from", "4"}, 2, 4, 0},
      {{"--melody", "3", "--from", "2", "--to", "2"}, 2, 2, 2},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"import", kDemoTune, "-o", File("out.mel")};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const ToolResult result = Run(args);
    ASSERT_EQ(0, result.exitCode) << result.err;

    const auto& notes = reference.Melodies()[c.melody].notes;
    const size_t to = c.to == 0 ? notes.size() : c.to;
    const MelodyData imported = nvtest::LoadMelody(File("out.mel"));
    EXPECT_EQ(u"demo-tune", imported.name);
    EXPECT_EQ(std::vector<NoteValues>(notes.begin() + static_cast<long>(c.from), notes.begin() + static_cast<long>(to)),
              imported.notes)
        << c.melody << " " << c.from << " " << to;
  }
}

TEST_F(FileCommandsTest, InfoPrintsEachKindInItsJsonShape) {
  nvtest::SaveMelody(File("a.mel"), Melody(u"Звонок \"1\"", {{13, 2, 0}, {11, 3, 4}}));
  ASSERT_EQ(FileStatus::Ok, StoFormat::Save(File("s.sto"), {Melody(u"A", {{13, 2, 0}}), Melody(u"B", {})}));
  nvtest::WriteBytes(File("m.mid"), MidiWriter::Build({{13, 2, 0}, {16, 3, 8}}));

  const std::pair<std::string, std::string> cases[] = {
      {File("a.mel"), "{\"name\": \"Звонок \\\"1\\\"\", \"notes\": [[13, 2, 0], [11, 3, 4]]}\n"},
      {File("s.sto"),
       "{\"melodies\": [{\"name\": \"A\", \"notes\": [[13, 2, 0]]}, {\"name\": \"B\", \"notes\": []}], \"size\": 3}\n"},
      {File("m.mid"), "{\"melodies\": [{\"channel\": 0, \"notes\": [[13, 2, 0], [16, 3, 8]]}]}\n"},
  };
  for (const auto& [path, json] : cases) {
    const ToolResult result = Run({"info", "--json", path});
    EXPECT_EQ(0, result.exitCode) << result.err;
    EXPECT_EQ(json, result.out);
    // Under a name that does not tell, the contents do.
    nvtest::WriteBytes(File("unnamed.data"), nvtest::ReadBytes(path));
    EXPECT_EQ(json, Run({"info", "--json", File("unnamed.data")}).out);
  }
  // A set in words names its size, each melody and each note.
  const ToolResult words = Run({"info", File("s.sto")});
  EXPECT_NE(std::string::npos, words.out.find("Set size: 3 note symbols"));
  EXPECT_NE(std::string::npos, words.out.find("A4    quarter"));
}

TEST_F(FileCommandsTest, ExportThenImportGivesTheSameNoteSymbolsBack) {
  const std::vector<NoteValues> notes = {{13, 2, 0}, {11, 1, 4},  {20, 4, 8}, {0, 0, 0},
                                         {31, 3, 0}, {11, 0, 12}, {5, 4, 0}};
  nvtest::SaveMelody(File("tune.mel"), Melody(u"Tune", notes));
  ASSERT_EQ(0, Run({"export", File("tune.mel"), "-o", File("song.mid")}).exitCode);
  EXPECT_EQ(MidiWriter::Build(notes), nvtest::ReadBytes(File("song.mid")));

  const ToolResult result = Run({"import", File("song.mid"), "-o", File("back.mel")});
  ASSERT_EQ(0, result.exitCode) << result.err;
  EXPECT_EQ(Melody(u"song", notes), nvtest::LoadMelody(File("back.mel")));
}

TEST_F(FileCommandsTest, SetCreateThenExtractGivesEachMelodyBack) {
  const std::vector<MelodyData> melodies = {Melody(u"Первая", nvtest::Notes(5)), Melody(u"Empty", {}),
                                            Melody(u"Third", {{11, 4, 4}, {12, 0, 8}})};
  std::vector<std::string> args = {"set", "create", File("set.sto")};
  for (size_t i = 0; i < melodies.size(); ++i) {
    const std::string path = File("m" + std::to_string(i) + ".mel");
    nvtest::SaveMelody(path, melodies[i]);
    args.push_back(path);
  }
  const ToolResult created = Run(args);
  ASSERT_EQ(0, created.exitCode) << created.err;
  EXPECT_NE(std::string::npos, created.out.find("set size 10 note symbols"));

  for (size_t i = 0; i < melodies.size(); ++i) {
    const ToolResult result =
        Run({"set", "extract", File("set.sto"), "--melody", std::to_string(i + 1), "-o", File("x.mel")});
    ASSERT_EQ(0, result.exitCode) << result.err;
    EXPECT_EQ(melodies[i], nvtest::LoadMelody(File("x.mel")));
  }
}

TEST_F(FileCommandsTest, RenderWritesEachNoteAndRestAtItsLength) {
  // A quarter lasts 0.524288 s: 5781 samples at 11025 per second.
  constexpr size_t kQuarter = 5781;
  nvtest::SaveMelody(File("two.mel"), Melody(u"Two", {{13, 2, 0}, {13, 2, 4}}));
  struct Case {
    std::vector<std::string> from;
    size_t samples;
    bool sounds;
  };
  const Case cases[] = {{{}, 2 * kQuarter, true}, {{"--from", "1"}, kQuarter, false}, {{"--from", "2"}, 0, false}};
  for (const Case& c : cases) {
    std::vector<std::string> args = {"render", File("two.mel"), "-o", File("two.wav")};
    args.insert(args.end(), c.from.begin(), c.from.end());
    ASSERT_EQ(0, Run(args).exitCode);
    const auto wav = nvtest::ReadBytes(File("two.wav"));
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(0, std::memcmp(wav.data(), "RIFF", 4));
    EXPECT_EQ(0, std::memcmp(wav.data() + 8, "WAVEfmt ", 8));
    const size_t data = wav[40] | wav[41] << 8 | wav[42] << 16 | static_cast<size_t>(wav[43]) << 24;
    EXPECT_EQ(c.samples, data);
    bool sounds = false;
    for (size_t i = 44; i < 44 + std::min(data, kQuarter); ++i) sounds = sounds || wav[i] != 127;
    EXPECT_EQ(c.sounds, sounds);
    // The rest is silence to its end.
    for (size_t i = 44 + data - std::min(data, kQuarter); i < 44 + data; ++i) ASSERT_EQ(127, wav[i]) << i;
  }
}

TEST_F(FileCommandsTest, StaffDrawsTheMelodyAtTheZoomAsked) {
  nvtest::SaveMelody(File("s.mel"), Melody(u"Staff", nvtest::Notes(14)));
  QImage images[2];
  const char* zooms[2] = {"100", "200"};
  for (int i = 0; i < 2; ++i) {
    const std::string png = File(std::string("s") + zooms[i] + ".png");
    const ToolResult result = Run({"staff", File("s.mel"), "-o", png, "--zoom", zooms[i]});
    ASSERT_EQ(0, result.exitCode) << result.err;
    EXPECT_EQ("", result.err);
    ASSERT_TRUE(images[i].load(QString::fromStdString(png), "PNG"));
  }
  // Fourteen notes take two rows; everything scales with the zoom.
  EXPECT_GT(images[0].height(), images[0].width() / 4);
  EXPECT_NEAR(2.0 * images[0].width(), images[1].width(), 4.0);
  // The notes are drawn in the default note colour, red, and none is selected (green).
  int red = 0;
  int green = 0;
  for (int y = 0; y < images[0].height(); ++y) {
    for (int x = 0; x < images[0].width(); ++x) {
      const QRgb pixel = images[0].pixel(x, y);
      red += pixel == qRgb(255, 0, 0);
      green += pixel == qRgb(0, 255, 0);
    }
  }
  EXPECT_GT(red, 500);
  EXPECT_EQ(0, green);
}

// Whether the engraving font the programs look for is installed here.
bool MusicFontInstalled() {
  std::error_code error;
  for (const auto& version : std::filesystem::directory_iterator("/usr/share/lilypond", error)) {
    if (std::filesystem::exists(version.path() / "fonts/otf/emmentaler-20.otf")) return true;
  }
  return false;
}

TEST_F(FileCommandsTest, StaffScaleMultipliesThePixelsAndAMissingFontFallsBackToOurGlyphs) {
  nvtest::SaveMelody(File("s.mel"), Melody(u"Staff", nvtest::Notes(14)));
  struct Case {
    const char* scale;
    const char* font;  // NV_MUSIC_FONT, null for the installed font
  } cases[] = {{"1", nullptr}, {"2", nullptr}, {"1", "/nonexistent/music.otf"}, {"2", ""}};
  QImage images[4];
  for (int i = 0; i < 4; ++i) {
    if (cases[i].font != nullptr) setenv("NV_MUSIC_FONT", cases[i].font, 1);
    const std::string png = File("s" + std::to_string(i) + ".png");
    const ToolResult result = Run({"staff", File("s.mel"), "-o", png, "--scale", cases[i].scale});
    unsetenv("NV_MUSIC_FONT");
    ASSERT_EQ(0, result.exitCode) << result.err;
    EXPECT_EQ("", result.err);
    ASSERT_TRUE(images[i].load(QString::fromStdString(png), "PNG"));
  }
  EXPECT_EQ(images[0].size() * 2, images[1].size());
  EXPECT_EQ(images[0].size(), images[2].size());
  EXPECT_EQ(images[2].size() * 2, images[3].size());
  // Without the font the glyphs are our own; with it they are the font's.
  EXPECT_EQ(MusicFontInstalled(), images[0] != images[2]);
  EXPECT_EQ(MusicFontInstalled(), images[1] != images[3]);
}

TEST_F(FileCommandsTest, BadInputGivesTheProgramsTextsAndExitCodes) {
  nvtest::WriteBytes(File("bad.mel"), {6, 'E', 'S', 'T', '1', '.', '0', 0, 0, 0, 0});
  nvtest::WriteBytes(File("bad.sto"), {5, 'E', 'M', '2', '.', '0', 0, 0, 0, 0});
  nvtest::WriteBytes(File("short.mel"), {5, 'E', 'M', '2', '.', '0', 3, 0});
  nvtest::WriteBytes(File("bad.mid"), {'M', 'T', 'h', 'd', 0, 0, 0, 7, 0, 0, 0, 1, 0, 96});
  nvtest::WriteBytes(File("text.txt"), {'h', 'e', 'l', 'l', 'o'});
  nvtest::SaveMelody(File("ok.mel"), Melody(u"Ok", nvtest::Notes(3)));
  const std::string missing = File("missing.mel");
  // Named pipes without a writer: every reader and writer refuses them at once.
  for (const char* pipe : {"pipe.mel", "pipe.sto", "pipe.mid", "pipe"}) ASSERT_EQ(0, mkfifo(File(pipe).c_str(), 0644));
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string text;
  };
  const Case cases[] = {
      {{"info", missing}, 1, "Ошибка при открытии файла " + missing},
      {{"info", File("pipe.mel")}, 1, "Ошибка при открытии файла " + File("pipe.mel")},
      {{"info", File("pipe.sto")}, 1, "Ошибка при открытии файла " + File("pipe.sto")},
      {{"info", File("pipe.mid")}, 1, "Ошибка при открытии файла"},
      {{"info", File("pipe")}, 1, "Ошибка при открытии файла " + File("pipe")},
      {{"set", "create", File("o.sto"), File("ok.mel"), File("pipe.mel")}, 1, "Ошибка при открытии файла"},
      {{"export", File("ok.mel"), "-o", File("pipe.mid")}, 1, "Ошибка при создании файла"},
      {{"render", File("ok.mel"), "-o", File("pipe")}, 1, "Ошибка при записи в файл"},
      {{"export", missing, "-o", File("o.mid")}, 1, "Ошибка при открытии файла"},
      {{"info", File("bad.mel")}, 1, "Файл не является мелодией"},
      {{"render", File("short.mel"), "-o", File("o.wav")}, 1, "Ошибка при чтении файла"},
      {{"info", File("bad.sto")}, 1, "Файл не является набором мелодий"},
      {{"set", "extract", File("bad.sto"), "--melody", "1", "-o", File("o.mel")},
       1,
       "Файл не является набором мелодий"},
      {{"set", "create", File("o.sto"), File("ok.mel"), File("bad.mel")}, 1, "Неправильный формат файла"},
      {{"import", File("bad.mid"), "-o", File("o.mel")}, 1, "Ошибка в формате файла."},
      {{"info", File("text.txt")}, 1, "neither a melody"},
      {{"import", kDemoTune, "--melody", "4", "-o", File("o.mel")}, 2, "the file has 3 melodies"},
      {{"import", kDemoTune, "--from", "5", "--to", "4", "-o", File("o.mel")}, 2, "--to must be"},
      {{"set", "extract", File("o.sto"), "--melody", "1", "-o", File("o.mel")}, 1, "Ошибка при открытии файла"},
      {{"render", File("ok.mel"), "-o", File("o.wav"), "--from", "4"}, 2, "--from must be"},
      {{"export", File("ok.mel")}, 2, "--output is required"},
      {{"info"}, 2, "missing FILE"},
      {{"staff", File("ok.mel"), "-o", File("o.png"), "--zoom", "20"}, 2, "--zoom must be"},
      {{"staff", File("ok.mel"), "-o", File("o.png"), "--scale", "5"}, 2, "--scale must be"},
      {{"frobnicate"}, 2, "unknown command"},
      {{"info", "--colour", File("ok.mel")}, 2, "unknown option --colour"},
      {{}, 2, "usage: nvtool COMMAND"},
  };
  for (const Case& c : cases) {
    const ToolResult result = Run(c.args);
    EXPECT_EQ(c.exitCode, result.exitCode) << c.text << "\n" << result.err;
    EXPECT_NE(std::string::npos, result.err.find(c.text)) << result.err;
  }
  // Nothing is left behind by a failed write.
  EXPECT_TRUE(nvtest::ReadBytes(File("o.mel")).empty());
  EXPECT_TRUE(nvtest::ReadBytes(File("o.sto")).empty());
}

TEST_F(FileCommandsTest, HelpAnswersOnEveryLevel) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--help"}, "usage: nvtool COMMAND"},
      {{"info", "--help"}, "usage: nvtool info"},
      {{"import", "x.mid", "-h"}, "usage: nvtool import"},
      {{"set", "create", "--help"}, "usage: nvtool set create"},
      {{"bell", "add", "--help"}, "usage: nvtool bell"},
      {{"ring", "--help"}, "usage: nvtool ring"},
  };
  for (const auto& [args, usage] : cases) {
    const ToolResult result = Run(args);
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ(0u, result.out.rfind(usage, 0)) << result.out;
  }
}

}  // namespace
