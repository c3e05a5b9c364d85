// The editor's document thread, driven through its requests as the windows
// drive it, over the real Sonvox module and the null sound device.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "CDocThread.h"
#include "DocMessages.h"
#include "MelFileWriter.h"
#include "SonvoxTestSupport.h"
#include "common/CStringU.h"
#include "platform/CodePage.h"
#include "platform/MessageQueue.h"

namespace {

using Note = notaratest::MelNote;
using notaratest::WriteMel;

class DocThreadTest : public testing::Test {
 protected:
  void SetUp() override {
    nvtest::PrepareSonvox();
    ASSERT_TRUE(doc_.Start());
    ASSERT_EQ(1, New("Новая мелодия"));
  }

  LONG New(const char* utf8Name) {
    const std::string name = nv::Utf8ToAnsi(utf8Name);
    return doc_.Send(DOCM_NEW, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  LONG Open(const std::string& path, CStringU* error = nullptr) {
    CStringU ignored;
    return doc_.Send(DOCM_OPEN, reinterpret_cast<WPARAM>(error ? error : &ignored),
                     reinterpret_cast<LPARAM>(path.c_str()));
  }
  // Opens a file holding exactly these notes: undo pool empty, not modified.
  void Load(const std::vector<Note>& notes) {
    const std::string path = dir_.file("load.mel");
    WriteMel(path, notes);
    ASSERT_EQ(1, Open(path));
  }
  LONG Get(UINT message) {
    LONG value = -99;
    EXPECT_EQ(1, doc_.Send(message, reinterpret_cast<WPARAM>(&value)));
    return value;
  }
  LONG Count() { return Get(DOCM_GET_COUNT); }
  LONG Current() { return Get(DOCM_GET_CURRENT); }
  bool UndoEmpty() { return Get(DOCM_IS_UNDO_EMPTY) == 1; }
  void Select(LONG index) {
    while (Current() != index) ASSERT_EQ(1, doc_.Send(DOCM_NEXT_NOTE));
  }
  // Every note symbol, visited with the navigation requests; the current
  // note is restored.
  std::vector<Note> Notes() {
    const LONG current = Current();
    std::vector<Note> notes;
    const LONG count = Count();
    for (LONG i = 0; i < count; ++i) {
      Select(i);
      SHORT p = 0, d = 0, f = 0;
      doc_.Send(DOCM_GET_PITCH, reinterpret_cast<WPARAM>(&p));
      doc_.Send(DOCM_GET_DURATION, reinterpret_cast<WPARAM>(&d));
      doc_.Send(DOCM_GET_FLAGS, reinterpret_cast<WPARAM>(&f));
      notes.push_back({BYTE(p), BYTE(d), BYTE(f)});
    }
    Select(current);
    return notes;
  }
  CStringU Name() {
    CStringU name;
    EXPECT_EQ(1, doc_.Send(DOCM_GET_NAME, reinterpret_cast<WPARAM>(&name)));
    return name;
  }
  void WaitWhilePlaying() {
    for (int i = 0; i < 600 && Get(DOCM_IS_PLAYING) == 1; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(0, Get(DOCM_IS_PLAYING));
  }

  nvtest::TempDir dir_;
  CDocThread doc_;
};

const Note kA{13, 2, 0};
const Note kB{16, 3, 0};
const Note kC{20, 1, 8};

}  // namespace

TEST_F(DocThreadTest, NavigationCyclesThroughNoCurrentNote) {
  EXPECT_EQ(0, doc_.Send(DOCM_NEXT_NOTE)) << "empty melody";
  EXPECT_EQ(0, doc_.Send(DOCM_PREV_NOTE)) << "empty melody";
  Load({kA, kB, kC});
  const struct {
    UINT message;
    std::vector<LONG> visits;
  } cases[] = {{DOCM_NEXT_NOTE, {0, 1, 2, -1, 0}}, {DOCM_PREV_NOTE, {2, 1, 0, -1, 2}}};
  for (const auto& c : cases) {
    Select(-1);
    for (LONG expected : c.visits) {
      EXPECT_EQ(1, doc_.Send(c.message));
      EXPECT_EQ(expected, Current()) << std::hex << c.message;
    }
  }
  EXPECT_EQ(0, doc_.Send(DOCM_IS_MODIFIED)) << "moving is no edit";
}

TEST_F(DocThreadTest, ThePoolKeepsTheLastThirtySteps) {
  for (int i = 0; i < 31; ++i) ASSERT_EQ(1, doc_.Send(DOCM_INSERT_NOTE));
  ASSERT_EQ(31, Count());
  for (int i = 0; i < 30; ++i) ASSERT_EQ(1, doc_.Send(DOCM_UNDO)) << i;
  EXPECT_EQ(1, Count()) << "the first insertion can no longer be undone";
  EXPECT_TRUE(UndoEmpty());
  EXPECT_EQ(0, doc_.Send(DOCM_UNDO));
  EXPECT_EQ(1, Count());
}

TEST_F(DocThreadTest, StepsThatChangeNothingMarkModifiedButRecordNothing) {
  const struct {
    Note note;
    UINT message;
  } cases[] = {
      {{11, 3, 0x04}, DOCM_PITCH_UP}, {{11, 3, 0x04}, DOCM_PITCH_DOWN}, {{31, 3, 0}, DOCM_PITCH_UP},
      {{0, 3, 0}, DOCM_PITCH_DOWN},   {{0, 0, 0x08}, DOCM_LENGTHEN},    {{0, 4, 0}, DOCM_SHORTEN},
  };
  for (const auto& c : cases) {
    Load({c.note});
    Select(0);
    EXPECT_EQ(1, doc_.Send(c.message)) << std::hex << c.message;
    EXPECT_EQ(1, doc_.Send(DOCM_IS_MODIFIED)) << c.note;
    EXPECT_TRUE(UndoEmpty()) << c.note;
    EXPECT_EQ(std::vector<Note>{c.note}, Notes());
  }
  Select(-1);
  for (UINT message : {DOCM_PITCH_UP, DOCM_PITCH_DOWN, DOCM_LENGTHEN, DOCM_SHORTEN, DOCM_DELETE}) {
    EXPECT_EQ(0, doc_.Send(message)) << "no current note " << std::hex << message;
  }
}

TEST_F(DocThreadTest, EachEditIsUndoneToTheMelodyBeforeIt) {
  const struct {
    const char* what;
    LONG select;
    UINT message;
    LONG currentAfterUndo;
  } cases[] = {
      {"delete the first", 0, DOCM_DELETE, 0},
      {"delete the middle", 1, DOCM_DELETE, 1},
      {"delete the last", 2, DOCM_DELETE, 2},
      {"insert a note", 1, DOCM_INSERT_NOTE, -1},
      {"insert a rest", -1, DOCM_INSERT_REST, -1},
      {"pitch up", 0, DOCM_PITCH_UP, 0},
      {"pitch down", 2, DOCM_PITCH_DOWN, 2},
      {"lengthen", 1, DOCM_LENGTHEN, 1},
      {"shorten", 2, DOCM_SHORTEN, 2},
  };
  const std::vector<Note> before = {kA, kB, kC};
  for (const auto& c : cases) {
    Load(before);
    Select(c.select);
    ASSERT_EQ(1, doc_.Send(c.message)) << c.what;
    EXPECT_NE(before, Notes()) << c.what;
    ASSERT_EQ(1, doc_.Send(DOCM_UNDO)) << c.what;
    EXPECT_EQ(before, Notes()) << c.what;
    EXPECT_EQ(c.currentAfterUndo, Current()) << c.what;
    EXPECT_EQ(1, doc_.Send(DOCM_IS_MODIFIED)) << c.what;
  }

  Load({kA});
  Select(0);
  ASSERT_EQ(1, doc_.Send(DOCM_DELETE));
  EXPECT_EQ(0, Count());
  ASSERT_EQ(1, doc_.Send(DOCM_UNDO));
  EXPECT_EQ(std::vector<Note>{kA}, Notes()) << "the only note comes back";
}

TEST_F(DocThreadTest, RenameIsRecordedEvenWhenTheNameStays) {
  const CStringU name(u"Звонок");
  ASSERT_EQ(1, doc_.Send(DOCM_RENAME, 0, reinterpret_cast<LPARAM>(&name)));
  ASSERT_EQ(1, doc_.Send(DOCM_RENAME, 0, reinterpret_cast<LPARAM>(&name)));
  EXPECT_EQ(u"Звонок", Name().View());
  EXPECT_EQ(1, doc_.Send(DOCM_UNDO));
  EXPECT_EQ(u"Звонок", Name().View());
  EXPECT_EQ(1, doc_.Send(DOCM_UNDO));
  EXPECT_EQ(u"Новая мелодия", Name().View());
}

TEST_F(DocThreadTest, PlaybackRunsFromTheCurrentNoteAndRefusesEditsMeanwhile) {
  MessageQueue view;
  doc_.SetViewWindow(view.Window());
  Load({{13, 4, 0}, {15, 4, 0}, {16, 4, 0}, {18, 4, 0}, {20, 4, 0}});
  const struct {
    LONG current;
    std::vector<WPARAM> posted;
  } cases[] = {{-1, {0, 1, 2, 3, 4, 5}}, {2, {2, 3, 4, 5}}};
  for (const auto& c : cases) {
    Select(c.current);
    ASSERT_EQ(1, doc_.Send(DOCM_PLAY));
    WaitWhilePlaying();
    std::vector<WPARAM> posted;
    MessageQueue::Message m;
    while ((posted.empty() || posted.back() < 5) && view.Get(&m, 5000)) {
      EXPECT_EQ(UIM_PLAY_PROGRESS, m.message);
      posted.push_back(m.wParam);
    }
    EXPECT_EQ(c.posted, posted) << "from " << c.current;
  }

  // A long melody keeps playing while edits are tried.
  std::vector<Note> notes(12, Note{13, 0, 0});
  Load(notes);
  Select(3);
  ASSERT_EQ(1, doc_.Send(DOCM_INSERT_NOTE));
  Select(0);
  ASSERT_EQ(1, doc_.Send(DOCM_PLAY));
  EXPECT_EQ(1, Get(DOCM_IS_PLAYING));
  EXPECT_EQ(0, doc_.Send(DOCM_DELETE)) << "refused while playing";
  EXPECT_EQ(0, doc_.Send(DOCM_UNDO)) << "the step waits for the end of playback";
  EXPECT_EQ(0, doc_.Send(DOCM_PITCH_UP));
  EXPECT_EQ(1, doc_.Send(DOCM_STOP));
  WaitWhilePlaying();
  doc_.SetViewWindow(nullptr);
  ASSERT_EQ(1, doc_.Send(DOCM_UNDO)) << "the insertion, not a failed deletion";
  EXPECT_EQ(notes, Notes());
  EXPECT_TRUE(UndoEmpty());
}

TEST_F(DocThreadTest, SoundOnEditWaitsForTheSixteenth) {
  EXPECT_EQ(0, doc_.Send(DOCM_SOUND_NOTE)) << "no current note";
  Load({{13, 0, 0}, {13, 0, FLAG_REST}});
  for (LONG index : {0, 1}) {
    Select(index);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(1, doc_.Send(DOCM_SOUND_NOTE));
    // A sixteenth lasts 131 ms, whatever the note's own length.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100)) << index;
  }
}

TEST_F(DocThreadTest, FilesRoundTripAndFailuresComeBackAsText) {
  Load({kA, kB});
  const CStringU name(u"Капель");
  doc_.Send(DOCM_RENAME, 0, reinterpret_cast<LPARAM>(&name));
  const std::string path = dir_.file("капель.mel");
  CStringU error;
  ASSERT_EQ(1, doc_.Send(DOCM_SAVE, reinterpret_cast<WPARAM>(&error), reinterpret_cast<LPARAM>(path.c_str())));
  EXPECT_EQ(0, doc_.Send(DOCM_IS_MODIFIED));
  EXPECT_FALSE(UndoEmpty()) << "saving keeps the undo steps";
  std::string saved;
  doc_.Send(DOCM_GET_PATH, reinterpret_cast<WPARAM>(&saved));
  EXPECT_EQ(path, saved);

  ASSERT_EQ(1, New("Новая мелодия"));
  EXPECT_TRUE(UndoEmpty());
  ASSERT_EQ(1, Open(path));
  EXPECT_EQ((std::vector<Note>{kA, kB}), Notes());
  EXPECT_EQ(u"Капель", Name().View());
  EXPECT_EQ(-1, Current());

  std::ofstream(dir_.file("other.mel"), std::ios::binary) << "\x05"
                                                             "em2.0";
  const struct {
    std::string path;
    std::u16string error;
  } opens[] = {
      {dir_.file("missing.mel"), u"Ошибка при открытии файла " + nv::Utf8ToWide(dir_.file("missing.mel")) + u"\n"},
      {dir_.file("other.mel"), u"Файл не является мелодией\n"}};
  for (const auto& c : opens) {
    EXPECT_EQ(0, Open(c.path, &error));
    EXPECT_EQ(c.error, error.View());
  }
  const std::string nowhere = dir_.file("missing/a.mel");
  EXPECT_EQ(0, doc_.Send(DOCM_SAVE, reinterpret_cast<WPARAM>(&error), reinterpret_cast<LPARAM>(nowhere.c_str())));
  EXPECT_EQ(u"Ошибка при открытии файла", error.View());
}

TEST_F(DocThreadTest, ChannelMelodiesAreCollectedAndOneIsTaken) {
  for (const ChannelNoteBlock& n : {ChannelNoteBlock{13, 2, 0, 3}, ChannelNoteBlock{15, 3, 0, 5},
                                    ChannelNoteBlock{16, 3, 0, 3}, ChannelNoteBlock{18, 4, 0, 3}}) {
    ASSERT_EQ(1, doc_.Send(DOCM_CH_ADD_NOTE, 0, reinterpret_cast<LPARAM>(&n)));
  }
  EXPECT_EQ(2, Get(DOCM_CH_COUNT));
  LONG count = -1;
  EXPECT_EQ(1, doc_.Send(DOCM_CH_GET_COUNT, reinterpret_cast<WPARAM>(&count), 0));
  EXPECT_EQ(3, count);
  EXPECT_EQ(0, doc_.Send(DOCM_CH_GET_COUNT, reinterpret_cast<WPARAM>(&count), 2)) << "past the last channel";
  EXPECT_EQ(0, count);
  for (UINT message : {DOCM_CH_IS_PLAYING, DOCM_CH_STOP, DOCM_CH_PLAY, DOCM_CH_GET_CURRENT}) {
    EXPECT_EQ(0, doc_.Send(message, reinterpret_cast<WPARAM>(&count), 7)) << std::hex << message;
  }
  const ChannelCurrentBlock current{0, 1};
  EXPECT_EQ(1, doc_.Send(DOCM_CH_SET_CURRENT, 0, reinterpret_cast<LPARAM>(&current)));
  EXPECT_EQ(1, doc_.Send(DOCM_CH_GET_CURRENT, reinterpret_cast<WPARAM>(&count), 0));
  EXPECT_EQ(1, count);

  ASSERT_EQ(1, doc_.Send(DOCM_INSERT_NOTE));
  const CStringU name(u"Из MIDI");
  const ChannelTakeBlock take{0, 1, 3, &name};
  ASSERT_EQ(1, doc_.Send(DOCM_CH_TAKE, 0, reinterpret_cast<LPARAM>(&take)));
  EXPECT_EQ((std::vector<Note>{{16, 3, 0}, {18, 4, 0}}), Notes());
  EXPECT_EQ(u"Из MIDI", Name().View());
  EXPECT_EQ(1, doc_.Send(DOCM_IS_MODIFIED));
  EXPECT_TRUE(UndoEmpty());
  ASSERT_EQ(1, doc_.Send(DOCM_CH_CLEAR));
  EXPECT_EQ(0, Get(DOCM_CH_COUNT));
  EXPECT_EQ(2, Count()) << "the taken melody stays the document's";
}
