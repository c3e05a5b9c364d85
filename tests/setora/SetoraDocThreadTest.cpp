// The set editor's request table, driven as the window drives it.
#include <gtest/gtest.h>

#include "CSetoraDocThread.h"
#include "SonvoxTestSupport.h"
#include "SetoraMessages.h"
#include "common/CStringU.h"
#include "common/MelFormat.h"
#include "platform/CodePage.h"

namespace {

class SetoraDocThreadTest : public testing::Test {
 protected:
  void SetUp() override {
    nvtest::PrepareSonvox();
    ASSERT_TRUE(doc_.Start());
    const std::string name = nv::Utf8ToAnsi("Новый набор.sto");
    ASSERT_EQ(1, doc_.Send(SDM_NEW, 0, reinterpret_cast<LPARAM>(name.c_str())));
  }
  LONG Add(const std::string& name, size_t notes) {
    MelodyData melody{nv::Utf8ToWide(name), std::vector<NoteValues>(notes, NoteValues{13, 4, 0})};
    const std::string path = dir_.file(name + ".mel");
    EXPECT_EQ(FileStatus::Ok, MelFormat::Save(path, melody));
    CStringU error;
    return doc_.Send(SDM_ADD_MELODY, reinterpret_cast<WPARAM>(&error), reinterpret_cast<LPARAM>(path.c_str()));
  }
  LONG Get(UINT message, LPARAM index = 0) {
    LONG value = -99;
    EXPECT_EQ(1, doc_.Send(message, reinterpret_cast<WPARAM>(&value), index)) << message;
    return value;
  }

  nvtest::TempDir dir_;
  CSetoraDocThread doc_;
};

}  // namespace

TEST_F(SetoraDocThreadTest, AnswersQueriesAboutTheSet) {
  std::string path;
  ASSERT_EQ(1, doc_.Send(SDM_GET_PATH, reinterpret_cast<WPARAM>(&path)));
  EXPECT_EQ("Новый набор.sto", path);
  EXPECT_EQ(0, doc_.Send(SDM_IS_MODIFIED));
  EXPECT_EQ(0, Get(SDM_GET_COUNT));

  ASSERT_EQ(1, Add("Ода", 7));
  ASSERT_EQ(1, Add("Сурок", 0));
  EXPECT_EQ(1, doc_.Send(SDM_IS_MODIFIED));
  EXPECT_EQ(2, Get(SDM_GET_COUNT));
  EXPECT_EQ(7, Get(SDM_GET_NOTE_COUNT, 0));
  EXPECT_EQ(0, Get(SDM_GET_NOTE_COUNT, 1));
  CStringU name;
  ASSERT_EQ(1, doc_.Send(SDM_GET_NAME, reinterpret_cast<WPARAM>(&name), 1));
  EXPECT_EQ(u"Сурок", name.View());

  ASSERT_EQ(1, doc_.Send(SDM_MOVE_DOWN, 0, 0));
  EXPECT_EQ(7, Get(SDM_GET_NOTE_COUNT, 1));
}

TEST_F(SetoraDocThreadTest, RefusesIndicesOutOfRangeAndUnknownRequests) {
  ASSERT_EQ(1, Add("a", 2));
  const SaveMelodyBlock block{3, "unused.mel"};
  for (LPARAM index : {LPARAM(-1), LPARAM(1), LPARAM(1) << 40}) {
    SCOPED_TRACE(index);
    LONG out = -99;
    CStringU text;
    const auto outParam = reinterpret_cast<WPARAM>(&out);
    EXPECT_EQ(0, doc_.Send(SDM_PLAY, 0, index));
    EXPECT_EQ(0, doc_.Send(SDM_IS_STOPPED, outParam, index));
    EXPECT_EQ(0, doc_.Send(SDM_STOP, 0, index));
    EXPECT_EQ(0, doc_.Send(SDM_DELETE, 0, index));
    EXPECT_EQ(0, doc_.Send(SDM_MOVE_UP, 0, index));
    EXPECT_EQ(0, doc_.Send(SDM_MOVE_DOWN, 0, index));
    EXPECT_EQ(0, doc_.Send(SDM_GET_NOTE_COUNT, outParam, index));
    EXPECT_EQ(0, doc_.Send(SDM_GET_NAME, reinterpret_cast<WPARAM>(&text), index));
    EXPECT_EQ(-99, out);
  }
  CStringU error;
  EXPECT_EQ(0, doc_.Send(SDM_SAVE_MELODY, reinterpret_cast<WPARAM>(&error), reinterpret_cast<LPARAM>(&block)));
  EXPECT_EQ(0, doc_.Send(0x8012));
  EXPECT_EQ(1, Get(SDM_GET_COUNT));

  // Moving the first melody up changes nothing, so the set stays unmodified.
  const std::string saved = dir_.file("set.sto");
  ASSERT_EQ(1, doc_.Send(SDM_SAVE, reinterpret_cast<WPARAM>(&error), reinterpret_cast<LPARAM>(saved.c_str())));
  EXPECT_EQ(1, doc_.Send(SDM_MOVE_UP, 0, 0));
  EXPECT_EQ(0, doc_.Send(SDM_IS_MODIFIED));
}

TEST_F(SetoraDocThreadTest, PlaysAndStopsAMelody) {
  ASSERT_EQ(1, Add("long", 60));
  ASSERT_EQ(1, doc_.Send(SDM_PLAY, 0, 0));
  EXPECT_EQ(0, Get(SDM_IS_STOPPED, 0));
  ASSERT_EQ(1, doc_.Send(SDM_STOP, 0, 0));
  LONG stopped = 0;
  for (int i = 0; i < 500 && stopped == 0; ++i) {
    stopped = Get(SDM_IS_STOPPED, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(1, stopped);
}

TEST_F(SetoraDocThreadTest, EndsOnCloseAndAnswersNothingAfterwards) {
  // A melody still playing at shutdown is stopped with the document.
  ASSERT_EQ(1, Add("long", 60));
  ASSERT_EQ(1, doc_.Send(SDM_PLAY, 0, 0));
  doc_.Close();
  LONG count = -1;
  EXPECT_EQ(0, doc_.Send(SDM_GET_COUNT, reinterpret_cast<WPARAM>(&count)));
  EXPECT_EQ(-1, count);
}
