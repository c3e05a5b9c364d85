// Ring-tone text taken into the editor's melody, the melody transposed and
// written back as text, each edit undone to exactly the melody before it;
// driven through the document thread's typed client as the windows drive it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "CDocThread.h"
#include "MelodyDocClient.h"
#include "RingToneImport.h"
#include "SonvoxTestSupport.h"
#include "TempDir.h"
#include "common/MelFormat.h"

namespace {

// Pitch indices: G#3 0, C4 4, C5 16, C6 28, D#6 31.
constexpr BYTE kRestFlag = 0x04;
const NoteValues kA{13, 2, 0};
const NoteValues kB{16, 3, 0};
const NoteValues kRest{11, 1, kRestFlag};

class RingToneEditsTest : public testing::Test {
 protected:
  void SetUp() override {
    nvtest::PrepareSonvox();
    ASSERT_TRUE(doc_.Start());
    ASSERT_TRUE(client_.New("m"));
  }

  // Opens a file holding exactly this melody: undo empty, not modified.
  void Load(const MelodyData& melody, LONG current = -1) {
    const std::string path = dir_.file("load.mel");
    ASSERT_EQ(FileStatus::Ok, MelFormat::Save(path, melody));
    CStringU error;
    ASSERT_TRUE(client_.Open(path.c_str(), error));
    while (client_.Current() != current) ASSERT_TRUE(client_.Run(DOCM_NEXT_NOTE));
  }

  // The melody as the document holds it, read through a save.
  MelodyData Saved() {
    const std::string path = dir_.file("saved.mel");
    // A save clears the modified flag: callers look at it first.
    CStringU error;
    EXPECT_TRUE(client_.Save(path.c_str(), error));
    MelodyData melody;
    EXPECT_EQ(FileStatus::Ok, MelFormat::Load(path, melody));
    return melody;
  }

  LONG Import(const std::string& text, LONG semitones, bool fit, bool insert, RingToneImportResult& result) {
    const RingToneImportBlock block{&text, semitones, fit ? 1 : 0, insert ? 1 : 0};
    return client_.ImportRingTone(block, result) ? 1 : 0;
  }

  nvtest::TempDir dir_;
  CDocThread doc_;
  MelodyDocClient client_{doc_.Thread()};
};

struct ImportCase {
  const char* what;
  MelodyData before;
  LONG current;
  const char* text;
  LONG semitones;
  bool fit;
  bool insert;
  MelodyData after;
  LONG currentAfter;
  LONG folded;
};

TEST_F(RingToneEditsTest, ImportIsOneStepThatUndoGivesBackExactly) {
  const MelodyData two{u"Old", {kA, kB}};
  const ImportCase cases[] = {
      {"replace, the tune's name", two, 1, "New:d=4,o=5:c,8p,16d#6", 0, false, false,
       MelodyData{u"New", {{16, 2, 0}, {11, 3, kRestFlag}, {31, 4, 0}}}, -1, 0},
      {"replace, a tune without a name keeps the melody's", two, 0, ":d=4,o=5:c", 0, false, false,
       MelodyData{u"Old", {{16, 2, 0}}}, -1, 0},
      {"replace, e6 and above folded", two, -1, "t:d=8,o=6:e,d#", 0, false, false,
       MelodyData{u"t", {{20, 3, 0}, {31, 3, 0}}}, -1, 1},
      {"replace, fit moves the whole tune down", two, -1, "t:d=8,o=7:c,e,g", 0, true, false,
       MelodyData{u"t", {{16, 3, 0}, {20, 3, 0}, {23, 3, 0}}}, -1, 0},
      {"replace, transposed, rests keep their pitch", two, -1, "t:d=4,o=5:c,p,d", -12, false, false,
       MelodyData{u"t", {{4, 2, 0}, {11, 2, kRestFlag}, {6, 2, 0}}}, -1, 0},
      {"insert after the current note", two, 0, "t:d=4,o=5:c,d", 0, false, true,
       MelodyData{u"Old", {kA, {16, 2, 0}, {18, 2, 0}, kB}}, 2, 0},
      {"insert at the end without a current note", two, -1, "t:d=4,o=5:c", 0, false, true,
       MelodyData{u"Old", {kA, kB, {16, 2, 0}}}, 2, 0},
      {"insert into an empty melody", MelodyData{u"Old", {}}, -1, "t:d=4,o=5:c", 0, false, true,
       MelodyData{u"Old", {{16, 2, 0}}}, 0, 0},
      {"replace with an empty tune", two, 1, "Silence:d=4:", 0, false, false, MelodyData{u"Silence", {}}, -1, 0},
  };
  for (const ImportCase& c : cases) {
    Load(c.before, c.current);
    RingToneImportResult result;
    ASSERT_EQ(1, Import(c.text, c.semitones, c.fit, c.insert, result)) << c.what;
    EXPECT_EQ(c.folded, result.folded) << c.what;
    EXPECT_TRUE(result.error.empty()) << c.what;
    EXPECT_TRUE(client_.IsModified()) << c.what;
    EXPECT_EQ(c.currentAfter, client_.Current()) << c.what;
    EXPECT_EQ(c.after, Saved()) << c.what;

    ASSERT_TRUE(client_.Run(DOCM_UNDO)) << c.what;
    EXPECT_TRUE(client_.IsUndoEmpty()) << c.what << ": one step";
    EXPECT_EQ(c.current, client_.Current()) << c.what;
    EXPECT_EQ(c.before, Saved()) << c.what;
  }
}

TEST_F(RingToneEditsTest, TextThatIsNoTuneChangesNothing) {
  const MelodyData before{u"Old", {kA, kRest, kB}};
  const struct {
    const char* text;
    const char16_t* error;
  } cases[] = {
      {"t:d=4,o=5:c,x", u"строка 1, позиция 13: ожидается нота (a-g, h) или пауза (p)"},
      {"t:d=4,o=9:c", u"строка 1, позиция 9: октава должна быть от 4 до 7"},
      {"t:d=4\n,o=5:c,,d", u"строка 2, позиция 8: пустая нота между запятыми"},
      {"just words", u"строка 1, позиция 11: нет двоеточия после названия"},
  };
  for (const auto& c : cases) {
    Load(before, 1);
    RingToneImportResult result;
    EXPECT_EQ(0, Import(c.text, 0, false, false, result)) << c.text;
    EXPECT_EQ(std::u16string(c.error), result.error) << c.text;
    EXPECT_FALSE(client_.IsModified()) << c.text;
    EXPECT_TRUE(client_.IsUndoEmpty()) << c.text;
    EXPECT_EQ(1, client_.Current()) << c.text;
    EXPECT_EQ(before, Saved()) << c.text;
  }
}

struct TransposeCase {
  const char* what;
  std::vector<NoteValues> before;
  LONG semitones;
  bool fit;
  std::vector<NoteValues> after;
  LONG folded;
};

TEST_F(RingToneEditsTest, TransposeMovesNotesFoldsTheRestAndIsUndone) {
  const TransposeCase cases[] = {
      {"up a tone, rests untouched", {kA, kRest, kB}, 2, false, {{15, 2, 0}, kRest, {18, 3, 0}}, 0},
      {"down an octave, two notes fold",
       {{4, 2, 0}, {10, 2, 8}, {20, 2, 0}},
       -12,
       false,
       {{4, 2, 0}, {10, 2, 8}, {8, 2, 0}},
       2},
      {"fit undoes a shift past the top",
       {{28, 2, 0}, {30, 2, 0}, {31, 2, 0}},
       12,
       true,
       {{28, 2, 0}, {30, 2, 0}, {31, 2, 0}},
       0},
      {"up an octave, the top folds back",
       {{0, 2, 0}, {20, 4, 0}, kRest},
       12,
       false,
       {{12, 2, 0}, {20, 4, 0}, kRest},
       1},
      {"only rests", {kRest, kRest}, 7, true, {kRest, kRest}, 0},
  };
  for (const TransposeCase& c : cases) {
    const MelodyData before{u"m", c.before};
    Load(before, 1);
    LONG folded = -1;
    ASSERT_TRUE(client_.Transpose(TransposeBlock{c.semitones, c.fit ? 1 : 0}, folded)) << c.what;
    EXPECT_EQ(c.folded, folded) << c.what;
    EXPECT_EQ(1, client_.Current()) << c.what << ": the current note stays";
    EXPECT_EQ((MelodyData{u"m", c.after}), Saved()) << c.what;
    const bool changed = c.after != c.before;
    EXPECT_EQ(changed, !client_.IsUndoEmpty()) << c.what << ": a step only for a change";
    if (!changed) continue;
    ASSERT_TRUE(client_.Run(DOCM_UNDO)) << c.what;
    EXPECT_TRUE(client_.IsUndoEmpty()) << c.what;
    EXPECT_EQ(before, Saved()) << c.what;
  }
}

TEST_F(RingToneEditsTest, TransposingAnEmptyMelodyRecordsNothing) {
  Load(MelodyData{u"m", {}});
  LONG folded = -1;
  ASSERT_TRUE(client_.Transpose(TransposeBlock{5, 1}, folded));
  EXPECT_EQ(0, folded);
  EXPECT_TRUE(client_.IsUndoEmpty());
  EXPECT_FALSE(client_.IsModified());
}

TEST_F(RingToneEditsTest, UndoStepsComeBackInOrder) {
  const MelodyData first{u"m", {kA, kB}};
  Load(first, 0);
  LONG folded = 0;
  ASSERT_TRUE(client_.Transpose(TransposeBlock{1, 0}, folded));
  RingToneImportResult result;
  ASSERT_EQ(1, Import("x:d=4,o=5:c", 0, false, true, result));
  ASSERT_TRUE(client_.Run(DOCM_PITCH_UP));
  const std::vector<NoteValues> edited = {{14, 2, 0}, {17, 2, 0}, {17, 3, 0}};
  EXPECT_EQ((MelodyData{u"m", edited}), Saved());
  ASSERT_TRUE(client_.Run(DOCM_UNDO));
  ASSERT_TRUE(client_.Run(DOCM_UNDO));
  EXPECT_EQ((MelodyData{u"m", {{14, 2, 0}, {17, 3, 0}}}), Saved());
  ASSERT_TRUE(client_.Run(DOCM_UNDO));
  EXPECT_EQ(first, Saved());
  EXPECT_TRUE(client_.IsUndoEmpty());
}

TEST_F(RingToneEditsTest, ExportWritesTheTextThatImportReadsBack) {
  const MelodyData melody{u"Bell", {{16, 3, 0}, {31, 4, 8}, kRest, {4, 0, 0}}};
  Load(melody);
  const std::string path = dir_.file("out.rtttl");
  RingToneExportResult toFile;
  ASSERT_TRUE(client_.ExportRingTone(path.c_str(), toFile));
  EXPECT_EQ(0, toFile.raised);
  std::ifstream in(path, std::ios::binary);
  const std::string written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(toFile.text, written);
  RingToneExportResult clipboard;
  ASSERT_TRUE(client_.ExportRingTone(nullptr, clipboard));
  EXPECT_EQ(written, clipboard.text);

  Load(MelodyData{u"Other", {kA}});
  RingToneImportResult result;
  ASSERT_EQ(1, Import(written, 0, false, false, result));
  EXPECT_EQ(melody, Saved());

  // Below C4 the text has no notes: the whole melody goes an octave up.
  Load(MelodyData{u"Low", {{0, 2, 0}}});
  RingToneExportResult low;
  ASSERT_TRUE(client_.ExportRingTone(nullptr, low));
  EXPECT_EQ(1, low.raised);
  const std::string missing = dir_.file("no/such/folder/x.rtttl");
  RingToneExportResult failed;
  EXPECT_FALSE(client_.ExportRingTone(missing.c_str(), failed));
  EXPECT_FALSE(failed.error.empty());
}

TEST(RingToneImportSummary, SaysWhatTheTextHolds) {
  const struct {
    const char* text;
    int semitones;
    bool fit;
    const char16_t* summary;
  } cases[] = {
      {"t:d=4,o=5:c,p,d", 0, false, u"Нот: 2, пауз: 1"},
      {"t:d=4,o=6:e,f", 0, false, u"Нот: 2, пауз: 0; перенесено по октавам: 2"},
      {"t:d=4,o=7:c", 0, true, u"Нот: 1, пауз: 0; сдвиг на -12 полутонов"},
      {"t:d=4,o=5:32c,32p", 3, false,
       u"Нот: 1, пауз: 0; сдвиг на +3 полутонов\nстрока 1, позиция 11: нота 1/32 взята как 1/16\n"
       u"строка 1, позиция 15: пауза 1/32 пропущена"},
      {"t:d=5:c", 0, false, u"Ошибка: строка 1, позиция 5: длительность должна быть 1, 2, 4, 8, 16 или 32"},
      // Beyond the offered range the shift is held at its bound.
      {"t:d=4,o=5:c", 99, false, u"Нот: 1, пауз: 0; сдвиг на +36 полутонов; перенесено по октавам: 1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(std::u16string(c.summary), RingToneImport::Summary(RingToneImport::Prepare(c.text, c.semitones, c.fit)))
        << c.text;
  }
  EXPECT_TRUE(RingToneImport::IsRingTone("a:b=100:c"));
  EXPECT_FALSE(RingToneImport::IsRingTone("https://example.org/a:b"));
}

TEST(RingToneImportFile, ReadsSmallFilesAndRefusesLargeOnes) {
  nvtest::TempDir dir;
  const std::string small = dir.file("t.rtttl");
  std::ofstream(small) << "t:d=4:c";
  const std::string large = dir.file("large.txt");
  std::ofstream(large) << std::string(RingToneImport::kLargestText + 1, 'c');
  std::string text = "kept";
  std::u16string error;
  EXPECT_TRUE(RingToneImport::ReadFile(small, text, error));
  EXPECT_EQ("t:d=4:c", text);
  text = "kept";
  EXPECT_FALSE(RingToneImport::ReadFile(large, text, error));
  EXPECT_FALSE(RingToneImport::ReadFile(dir.file("missing"), text, error));
  EXPECT_EQ("kept", text);
  EXPECT_NE(std::u16string::npos, error.find(u"Ошибка при открытии файла"));
}

}  // namespace
