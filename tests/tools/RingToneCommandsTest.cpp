// nvtool with ring-tone text end to end: import (files and standard input,
// --transpose, --fit), export --format rtttl, and set create.
#include <gtest/gtest.h>

#include <fstream>

#include "TempDir.h"
#include "ToolRunner.h"
#include "common/RingToneText.h"

namespace {

using nvtest::Melody;
using nvtest::RunTool;
using nvtest::ToolResult;

constexpr const char* kBell = "Bell:d=4,o=5,b=120:8e6,8d#6,2p,c.6\n";

class RingToneCommandsTest : public ::testing::Test {
 protected:
  ToolResult Run(const std::vector<std::string>& args, const std::string& input = "/dev/null") {
    return RunTool(args, dir_.path(), -1, input);
  }
  std::string File(const std::string& name) const { return dir_.file(name); }
  std::string Write(const std::string& name, const std::string& text) const {
    std::ofstream(File(name), std::ios::binary) << text;
    return File(name);
  }

  nvtest::TempDir dir_;
};

TEST_F(RingToneCommandsTest, ImportMovesAndFoldsAsAsked) {
  Write("bell.rtttl", kBell);
  Write("Unnamed.TXT", ":d=8:a5,p");
  struct Case {
    std::vector<std::string> args;
    std::string input;  // standard input
    MelodyData melody;
    std::string summary;
  };
  const Case cases[] = {
      // E6 lies above D#6 and is folded down an octave, alone.
      {{File("bell.rtttl")},
       "",
       Melody(u"Bell", {{20, 3, 0}, {31, 3, 0}, {11, 1, 4}, {28, 2, 8}}),
       "4 note symbols (symbols 0 to 4), moved by 0 semitones, 1 note folded"},
      // The whole tune an octave down keeps its shape.
      {{File("bell.rtttl"), "--fit"},
       "",
       Melody(u"Bell", {{20, 3, 0}, {19, 3, 0}, {11, 1, 4}, {16, 2, 8}}),
       "moved by -12 semitones, 0 notes folded"},
      {{File("bell.rtttl"), "--transpose", "-1"},
       "",
       Melody(u"Bell", {{31, 3, 0}, {30, 3, 0}, {11, 1, 4}, {27, 2, 8}}),
       "moved by -1 semitones, 0 notes folded"},
      {{File("bell.rtttl"), "--transpose=3", "--fit", "--from", "1", "--to", "3"},
       "",
       Melody(u"Bell", {{22, 3, 0}, {11, 1, 4}}),
       "2 note symbols (symbols 1 to 3), moved by -9 semitones, 0 notes folded"},
      {{File("Unnamed.TXT")}, "", Melody(u"Unnamed", {{25, 3, 0}, {11, 3, 4}}), "0 notes folded"},
      {{"-", "--fit"}, kBell, Melody(u"Bell", {{20, 3, 0}, {19, 3, 0}, {11, 1, 4}, {16, 2, 8}}), "moved by -12"},
      {{"-"}, "::c5", Melody(u"Новая мелодия", {{16, 2, 0}}), "1 note symbols"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"import", "-o", File("out.mel")};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ToolResult result = Run(args, c.input.empty() ? "/dev/null" : Write("stdin.txt", c.input));
    ASSERT_EQ(0, result.exitCode) << c.summary << "\n" << result.err;
    EXPECT_EQ("", result.err);
    EXPECT_NE(std::string::npos, result.out.find(c.summary)) << result.out;
    EXPECT_EQ(c.melody, nvtest::LoadMelody(File("out.mel"))) << c.summary;
  }
}

TEST_F(RingToneCommandsTest, ImportNamesTheProblemAndWritesNothing) {
  Write("bad.rtttl", "Bad:d=4,o=5:\n  8e6,\n  9c");
  Write("long.rtttl", std::string(2 << 20, ' '));
  const std::string bad = File("bad.rtttl");
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string text;
  };
  const Case cases[] = {
      {{bad}, 1, bad + ": line 3, column 3: a duration must be 1, 2, 4, 8, 16 or 32"},
      {{File("missing.rtttl")}, 1, "Ошибка при открытии файла " + File("missing.rtttl")},
      {{File("long.rtttl")}, 1, "longer than any ring-tone text"},
      {{"-"}, 1, "standard input: line 1, column 1: no ':' after the name"},
      {{Write("ok.rtttl", kBell), "--melody", "2"}, 2, "the file has 1 melody"},
      {{File("ok.rtttl"), "--transpose", "61"}, 2, "--transpose must be a whole number from -60 to 60"},
      {{File("ok.rtttl"), "--from", "5"}, 2, "--from must be"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"import", "-o", File("out.mel")};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ToolResult result = Run(args);
    EXPECT_EQ(c.exitCode, result.exitCode) << c.text << "\n" << result.err;
    EXPECT_NE(std::string::npos, result.err.find(c.text)) << result.err;
  }
  EXPECT_TRUE(nvtest::ReadBytes(File("out.mel")).empty());
}

TEST_F(RingToneCommandsTest, ImportWarnsAboutThirtySecondsAndGoesOn) {
  const ToolResult result = Run({"import", Write("fast.rtttl", "Fast:o=5:32a,a,32p"), "-o", File("out.mel")});
  ASSERT_EQ(0, result.exitCode) << result.err;
  EXPECT_NE(std::string::npos, result.err.find("warning: " + File("fast.rtttl") +
                                               ": line 1, column 10: thirty-second note taken as a "
                                               "sixteenth"))
      << result.err;
  EXPECT_NE(std::string::npos, result.err.find("line 1, column 16: thirty-second pause left out")) << result.err;
  EXPECT_EQ(Melody(u"Fast", {{25, 4, 0}, {25, 2, 0}}), nvtest::LoadMelody(File("out.mel")));
}

TEST_F(RingToneCommandsTest, ExportWritesRingToneTextThatImportsBackTheSame) {
  const MelodyData melody = Melody(u"Tune", {{13, 2, 0}, {11, 1, 4}, {20, 4, 8}, {31, 3, 0}, {11, 0, 12}, {5, 0, 0}});
  nvtest::SaveMelody(File("tune.mel"), melody);
  std::string expected;
  bool raised = false;
  size_t bad = 0;
  ASSERT_TRUE(RingToneText::Write(melody, expected, raised, bad));

  const ToolResult out = Run({"export", File("tune.mel"), "--format", "rtttl"});
  ASSERT_EQ(0, out.exitCode) << out.err;
  EXPECT_EQ(expected + "\n", out.out);
  EXPECT_EQ("", out.err);

  // The format follows the output's name; the file imports back unchanged.
  const ToolResult file = Run({"export", File("tune.mel"), "-o", File("tune.rtttl")});
  ASSERT_EQ(0, file.exitCode) << file.err;
  EXPECT_NE(std::string::npos, file.out.find("6 note symbols, b=114"));
  const ToolResult back = Run({"import", File("tune.rtttl"), "-o", File("back.mel")});
  ASSERT_EQ(0, back.exitCode) << back.err;
  EXPECT_EQ(melody, nvtest::LoadMelody(File("back.mel")));

  // Below C4 the text goes an octave up, and says so.
  nvtest::SaveMelody(File("low.mel"), Melody(u"Low", {{0, 2, 0}, {13, 2, 0}}));
  const ToolResult low = Run({"export", File("low.mel"), "--format", "rtttl", "-o", "-"});
  ASSERT_EQ(0, low.exitCode) << low.err;
  EXPECT_EQ("Low:d=4,o=4,b=114:g#,a5\n", low.out);
  EXPECT_NE(std::string::npos, low.err.find("an octave higher")) << low.err;

  const std::pair<std::vector<std::string>, std::string> refused[] = {
      {{"export", File("tune.mel"), "--format", "wav", "-o", File("x.wav")}, "--format must be midi or rtttl"},
      {{"export", File("tune.mel")}, "--output is required"},
  };
  for (const auto& [args, text] : refused) {
    const ToolResult result = Run(args);
    EXPECT_EQ(2, result.exitCode);
    EXPECT_NE(std::string::npos, result.err.find(text)) << result.err;
  }
}

TEST_F(RingToneCommandsTest, SetCreateTakesRingToneFilesAmongMelodies) {
  nvtest::SaveMelody(File("first.mel"), Melody(u"Первая", nvtest::Notes(3)));
  Write("bell.rtttl", kBell);
  const MelodyData folded = Melody(u"Bell", {{20, 3, 0}, {31, 3, 0}, {11, 1, 4}, {28, 2, 8}});
  const MelodyData fitted = Melody(u"Bell", {{20, 3, 0}, {19, 3, 0}, {11, 1, 4}, {16, 2, 8}});
  const std::pair<std::vector<std::string>, MelodyData> cases[] = {{{}, folded}, {{"--fit"}, fitted}};
  for (const auto& [options, second] : cases) {
    std::vector<std::string> args = {"set", "create", File("set.sto"), File("first.mel"), File("bell.rtttl")};
    args.insert(args.end(), options.begin(), options.end());
    const ToolResult created = Run(args);
    ASSERT_EQ(0, created.exitCode) << created.err;
    EXPECT_NE(std::string::npos, created.out.find("melodies: 2, set size 9 note symbols")) << created.out;

    ASSERT_EQ(0, Run({"set", "extract", File("set.sto"), "--melody", "2", "-o", File("x.mel")}).exitCode);
    EXPECT_EQ(second, nvtest::LoadMelody(File("x.mel")));
  }
  const ToolResult bad = Run({"set", "create", File("bad.sto"), File("first.mel"), Write("bad.txt", "no tune")});
  EXPECT_EQ(1, bad.exitCode);
  EXPECT_NE(std::string::npos, bad.err.find("bad.txt: line 1, column 8: no ':' after the name")) << bad.err;
  EXPECT_TRUE(nvtest::ReadBytes(File("bad.sto")).empty());
}

}  // namespace

namespace {

TEST_F(RingToneCommandsTest, InfoShowsATuneAsImportTakesIt) {
  Write("bell.rtttl", kBell);
  Write("Low.Txt", "t:d=16,o=4:c,32c");
  struct Case {
    std::vector<std::string> args;
    std::string input;
    int exitCode;
    std::string out;  // a part of standard output
    std::string err;  // a part of standard error
  };
  const Case cases[] = {
      {{"--json", File("bell.rtttl")},
       "",
       0,
       "{\"name\": \"Bell\", \"tempo\": 120, \"folded\": 1, \"notes\": [[20, 3, 0], [31, 3, 0], [11, 1, 4], [28, 2, "
       "8]]}\n",
       ""},
      {{File("bell.rtttl")},
       "",
       0,
       "Name: Bell\nTempo: 120 beats per minute (not kept)\nFolded into G#3..D#6: 1\n",
       ""},
      {{"--json", File("Low.Txt")}, "", 0, "\"notes\": [[4, 4, 0], [4, 4, 0]]", "line 1, column 14: thirty-second"},
      {{"--json", "-"}, "::c5", 0, "\"tempo\": 63, \"folded\": 0, \"notes\": [[16, 2, 0]]", ""},
      {{"-"}, "x:d=4:q", 1, "", "standard input: line 1, column 7: a note letter"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"info"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ToolResult result = Run(args, c.input.empty() ? "/dev/null" : Write("stdin.txt", c.input));
    EXPECT_EQ(c.exitCode, result.exitCode) << c.out << c.err << "\n" << result.err;
    EXPECT_NE(std::string::npos, result.out.find(c.out)) << result.out;
    EXPECT_NE(std::string::npos, result.err.find(c.err)) << result.err;
  }
}

}  // namespace
