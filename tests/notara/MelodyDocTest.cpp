// The melody editor's document record over real Sonvox melodies.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "CMelodyDoc.h"
#include "SonvoxTestSupport.h"
#include "common/MelodyValues.h"
#include "midi/ChannelCollector.h"
#include "midi/MidiReader.h"
#include "platform/CodePage.h"

using namespace nvtest;

namespace {

struct RecordingUi : CMelodyDoc::Ui {
  std::vector<std::u16string> errors;
  void ShowError(const std::u16string& text) override { errors.push_back(text); }
};

class MelodyDocTest : public testing::Test {
 protected:
  void SetUp() override { FakeSample::fillResult = S_OK; }

  MelodyData Contents() const {
    MelodyData data;
    EXPECT_EQ(S_OK, MelodyValues::Read(doc_.Melody(), data));
    return data;
  }
  LONG Current() const {
    LONG current = -2;
    doc_.Melody()->GetCurrent(&current);
    return current;
  }
  void Fill(const std::vector<NoteValues>& notes) { ASSERT_EQ(S_OK, MelodyValues::AppendNotes(doc_.Melody(), notes)); }

  SonvoxSession session_;
  TempDir dir_;
  RecordingUi ui_;
  bool refuseMelodies_ = false;
  mutable CMelodyDoc doc_{&ui_, TestFactory(&refuseMelodies_)};
};

const std::vector<NoteValues> kNotes = {{13, 2, 0}, {11, 3, 0x04}, {31, 0, 0x08}};

}  // namespace

TEST_F(MelodyDocTest, NewEmptyMelodySavesAsTheDocumentedImage) {
  ASSERT_TRUE(doc_.NewDocument(CMelodyDoc::kNewName));
  EXPECT_EQ("Новая мелодия", doc_.Path());
  EXPECT_FALSE(doc_.IsModified());
  std::u16string error;
  std::string path = dir_.file("пустая.mel");
  ASSERT_TRUE(doc_.SaveDocument(&path, error));
  std::vector<BYTE> expected = {5, 'E', 'M', '2', '.', '0', 0, 0, 0, 0, 13};
  for (char c : std::string("\xCD\xEE\xE2\xE0\xFF \xEC\xE5\xEB\xEE\xE4\xE8\xFF")) expected.push_back(BYTE(c));
  expected.insert(expected.end(), {0, 0, 0, 0});
  EXPECT_EQ(expected, FileBytes(path));
  EXPECT_EQ(path, doc_.Path());
}

TEST_F(MelodyDocTest, SaveAndOpenRoundTripWithoutMovingTheCurrentNote) {
  ASSERT_TRUE(doc_.NewDocument(u"Звонок"));
  Fill(kNotes);
  ASSERT_EQ(S_OK, doc_.Melody()->SetCurrent(1));
  doc_.SetModified(true);
  std::u16string error;
  std::string path = dir_.file("a.mel");
  ASSERT_TRUE(doc_.SaveDocument(&path, error)) << std::string(error.begin(), error.end());
  EXPECT_FALSE(doc_.IsModified());
  EXPECT_EQ(1, Current());

  CMelodyDoc other(&ui_, TestFactory());
  ASSERT_TRUE(other.NewDocument(u"x"));
  ASSERT_TRUE(other.OpenDocument(path, error));
  MelodyData read;
  ASSERT_EQ(S_OK, MelodyValues::Read(other.Melody(), read));
  EXPECT_EQ((MelodyData{u"Звонок", kNotes}), read);
  LONG current = -2;
  other.Melody()->GetCurrent(&current);
  EXPECT_EQ(-1, current);
  EXPECT_EQ(path, other.Path());
}

TEST_F(MelodyDocTest, FailedOpensReportTheirTextAndKeepWhatTheyMust) {
  ASSERT_TRUE(doc_.NewDocument(u"Прежняя"));
  Fill(kNotes);
  doc_.SetModified(true);
  const std::vector<BYTE> magic = {5, 'E', 'M', '2', '.', '0'};
  std::vector<BYTE> cut = magic;
  cut.insert(cut.end(), {3, 0, 0, 0, 1, 'N', 3, 0, 0, 0, 7, 2, 0, 8});  // one whole record of three
  WriteFile(dir_.file("cut.mel"), cut);
  WriteFile(dir_.file("lower.mel"), {5, 'e', 'm', '2', '.', '0', 0, 0, 0, 0, 0, 0, 0, 0, 0});
  WriteFile(dir_.file("empty.mel"), {});
  ASSERT_EQ(0, mkfifo(dir_.file("pipe.mel").c_str(), 0644));
  struct Case {
    std::string file;
    std::u16string error;
  };
  const Case cases[] = {
      {"missing.mel", u"Ошибка при открытии файла " + nv::Utf8ToWide(dir_.file("missing.mel")) + u"\n"},
      {"pipe.mel", u"Ошибка при открытии файла " + nv::Utf8ToWide(dir_.file("pipe.mel")) + u"\n"},
      {"lower.mel", u"Файл не является мелодией\n"},
      {"empty.mel", u"Ошибка при чтении файла"},
      {"cut.mel", u"Ошибка при чтении файла"},
  };
  for (const Case& c : cases) {
    std::u16string error;
    EXPECT_FALSE(doc_.OpenDocument(dir_.file(c.file), error)) << c.file;
    EXPECT_EQ(c.error, error) << c.file;
    EXPECT_EQ("Прежняя", doc_.Path()) << c.file;
    EXPECT_TRUE(doc_.IsModified()) << c.file;
    EXPECT_EQ((MelodyData{u"Прежняя", kNotes}), Contents()) << c.file << ": the document is untouched";
  }
}

TEST_F(MelodyDocTest, FailedSaveKeepsThePathAndTheOldFile) {
  ASSERT_TRUE(doc_.NewDocument(u"m"));
  Fill(kNotes);
  std::u16string error;
  std::string first = dir_.file("a.mel");
  ASSERT_TRUE(doc_.SaveDocument(&first, error));
  const std::vector<BYTE> saved = FileBytes(first);
  doc_.SetModified(true);
  std::string missing = dir_.file("missing/a.mel");
  EXPECT_FALSE(doc_.SaveDocument(&missing, error));
  EXPECT_EQ(u"Ошибка при открытии файла", error);
  EXPECT_EQ(first, doc_.Path()) << "the document keeps the name it is saved under";
  EXPECT_TRUE(doc_.IsModified());
  EXPECT_TRUE(doc_.SaveDocument(nullptr, error));
  EXPECT_EQ(saved, FileBytes(first)) << "a plain save writes the file the document names";
}

TEST_F(MelodyDocTest, ObjectsThatCannotBeMadeAreReportedAndTriedAgain) {
  FakeSample::fillResult = E_FAIL;
  EXPECT_FALSE(doc_.NewDocument(u"x"));
  EXPECT_EQ(nullptr, doc_.Sample()) << "an unfilled sample is not kept";
  std::u16string error;
  EXPECT_FALSE(doc_.OpenDocument(dir_.file("any.mel"), error));
  EXPECT_EQ(u"Ошибка при инициализации документа\n", error);

  FakeSample::fillResult = S_OK;
  refuseMelodies_ = true;
  EXPECT_FALSE(doc_.NewDocument(u"x"));
  refuseMelodies_ = false;
  EXPECT_TRUE(doc_.NewDocument(u"x"));
  EXPECT_EQ((std::vector<std::u16string>{u"Образец не заполнен\n", u"Образец не заполнен\n",
                                         u"Ошибка при создании объекта \"Мелодия\""}),
            ui_.errors);
}

TEST_F(MelodyDocTest, ChannelMelodiesCollectByChannelAndOneBecomesTheDocument) {
  ASSERT_TRUE(doc_.NewDocument(u"x"));
  doc_.Undo().Push({UNDO_INSERT_NOTE, 0, 0, 0, 0, {}, {}});
  for (ImportedNote note :
       {ImportedNote{1, 2, 0, 5}, ImportedNote{2, 3, 0, 2}, ImportedNote{3, 4, 8, 5}, ImportedNote{11, 2, 4, 5}})
    ASSERT_TRUE(doc_.ChannelAddNote(note));
  ASSERT_EQ(2, doc_.ChannelCount());
  LONG count = 0;
  doc_.ChannelMelody(0)->GetCount(&count);
  EXPECT_EQ(3, count);
  EXPECT_EQ(nullptr, doc_.ChannelMelody(2));

  EXPECT_FALSE(doc_.TakeChannelMelody(7, 0, 1, u"Фрагмент"));
  EXPECT_FALSE(doc_.TakeChannelMelody(0, 2, 1, u"Фрагмент"));
  EXPECT_FALSE(doc_.TakeChannelMelody(0, 4, 4, u"Фрагмент")) << "beyond the end";
  ASSERT_TRUE(doc_.TakeChannelMelody(0, 1, 3, u"Фрагмент"));
  EXPECT_EQ((MelodyData{u"Фрагмент", {{3, 4, 8}, {11, 2, 4}}}), Contents());
  EXPECT_EQ("Фрагмент", doc_.Path());
  EXPECT_TRUE(doc_.IsModified());
  EXPECT_TRUE(doc_.Undo().IsEmpty());
  doc_.ChannelClear();
  EXPECT_EQ(0, doc_.ChannelCount());
  EXPECT_EQ(2, [&] {
    LONG n = 0;
    doc_.Melody()->GetCount(&n);
    return n;
  }()) << "the document keeps its own reference";
}

TEST_F(MelodyDocTest, AnEmptyFragmentIsAnEmptyMelodyWhereverItLies) {
  ASSERT_TRUE(doc_.NewDocument(u"x"));
  for (LONG at : {0, 1, 3}) {  // the start, inside, the very end of three notes
    doc_.ChannelClear();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(doc_.ChannelAddNote(ImportedNote{1, 2, 0, 5}));
    EXPECT_TRUE(doc_.TakeChannelMelody(0, at, at, u"Пусто")) << at;
    EXPECT_EQ((MelodyData{u"Пусто", {}}), Contents()) << at;
  }
}

TEST_F(MelodyDocTest, ExportedMidiImportsAsTheSameMelody) {
  ASSERT_TRUE(doc_.NewDocument(u"x"));
  Fill(kNotes);
  std::u16string error;
  std::string path = dir_.file("x.mid");
  ASSERT_TRUE(doc_.ExportMidi(path, error));
  ChannelCollector collector;
  MidiReader reader(collector);
  ASSERT_EQ(MidiError::None, reader.ReadFile(path));
  EXPECT_EQ(kNotes, collector.Melodies().at(0).notes);
  EXPECT_FALSE(doc_.ExportMidi(dir_.file("missing/x.mid"), error));
  EXPECT_EQ(u"Ошибка при создании файла", error);
}

TEST(CEditUndoMel, KeepsTheNewestThirtySteps) {
  CEditUndoMel undo;
  for (LONG i = 0; i < 31; ++i) undo.Push({UNDO_PITCH_UP, i, 0, 0, 0, {}, {}});
  EXPECT_EQ(29, undo.Top());
  UndoRecord record;
  std::vector<LONG> popped;
  while (undo.Pop(record)) popped.push_back(record.index);
  ASSERT_EQ(30u, popped.size());
  EXPECT_EQ(30, popped.front());
  EXPECT_EQ(1, popped.back()) << "the first step is lost";
  EXPECT_TRUE(undo.IsEmpty());
}
