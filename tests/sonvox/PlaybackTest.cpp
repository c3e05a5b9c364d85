// Note and melody playback on ALSA's null PCM: order of the notifications,
// the current note, stops, busy refusals and the time notes take.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "NoteTables.h"
#include "SampleTestSupport.h"
#include "SoundTestSupport.h"
#include "TempDir.h"
#include "platform/Kernel.h"
#include "platform/MessageQueue.h"
#include "platform/WaveOut.h"

namespace {

using nvtest::Current;
using nvtest::Impl;
using nvtest::MelodyOfPitches;
using nvtest::NewMelody;
using nvtest::NewNote;
using nvtest::TakeErrorText;
using soundtest::NewFilledSample;
using soundtest::UseAudioDevice;
using Clock = std::chrono::steady_clock;
using Indices = std::vector<WPARAM>;

constexpr UINT kPlayMessage = WM_APP + 1;
constexpr double kEighth = 0.262144;
constexpr double kHalf = 1.048576;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

class Event {
 public:
  Event() : handle_(CreateEvent(nullptr, FALSE, FALSE, nullptr)) { EXPECT_NE(handle_, nullptr); }
  ~Event() { CloseHandle(handle_); }
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;
  HANDLE get() const { return handle_; }
  bool Wait(DWORD ms = 20000) const { return WaitForSingleObject(handle_, ms) == WAIT_OBJECT_0; }

 private:
  HANDLE handle_;
};

class PlaybackTest : public testing::Test {
 protected:
  void SetUp() override {
    UseAudioDevice("null");
    sample_ = NewFilledSample();
  }

  // Waits until the melody's thread has ended.
  static bool WaitIdle(IMelody* melody) {
    const Clock::time_point start = Clock::now();
    for (;;) {
      SHORT playing = -1;
      EXPECT_EQ(S_OK, melody->IsPlaying(&playing));
      if (playing == 0) return true;
      if (SecondsSince(start) > 30) return false;
      Sleep(5);
    }
  }

  // The next notification, or -1 when none comes within the time-out.
  WPARAM NextIndex(DWORD ms = 20000) {
    MessageQueue::Message m{};
    if (!queue_.Get(&m, ms)) return static_cast<WPARAM>(-1);
    EXPECT_EQ(m.message, kPlayMessage);
    EXPECT_EQ(m.lParam, 0);
    return m.wParam;
  }

  // Plays to the end and returns every notification posted.
  Indices PlayThrough(IMelody* melody, SHORT blockOnly) {
    EXPECT_EQ(S_OK, melody->Play(blockOnly, sample_.get(), queue_.Window(), kPlayMessage));
    EXPECT_TRUE(WaitIdle(melody));
    Indices posted;
    MessageQueue::Message m{};
    while (queue_.Peek(&m)) posted.push_back(m.wParam);
    return posted;
  }

  nv::ComPtr<ISample1> sample_;
  MessageQueue queue_;
};

TEST_F(PlaybackTest, NoteAndRestKeepTheirLength) {
  for (SHORT flags : {SHORT{0}, FLAG_REST}) {
    auto note = NewNote();
    ASSERT_EQ(S_OK, note->SetFlags(flags));
    ASSERT_EQ(S_OK, note->PrepareSound(sample_.get()));
    Event started, finished;
    const Clock::time_point start = Clock::now();
    ASSERT_EQ(S_OK, note->Play(started.get(), finished.get(), sample_.get()));
    EXPECT_TRUE(started.Wait());
    // Busy from the return of Play until it has finished.
    EXPECT_EQ(E_FAIL, note->SetPitch(3));
    EXPECT_EQ(u"Объект занят\n", TakeErrorText());
    EXPECT_EQ(E_FAIL, note->Play(nullptr, nullptr, sample_.get()));
    ASSERT_TRUE(finished.Wait());
    EXPECT_GE(SecondsSince(start), kEighth) << flags;
    EXPECT_EQ(S_OK, note->SetPitch(3));
  }
}

TEST_F(PlaybackTest, NoteKeepsTimeWhenTheSampleWillNotPlay) {
  // The sample is busy with another sound, so the note falls back to silence.
  ASSERT_EQ(S_OK, sample_->PreparePlay(440, 20971520));
  Event sampleDone;
  ASSERT_EQ(S_OK, sample_->Play(sampleDone.get()));
  auto note = NewNote();
  Event started, finished;
  const Clock::time_point start = Clock::now();
  ASSERT_EQ(S_OK, note->Play(started.get(), finished.get(), sample_.get()));
  EXPECT_TRUE(started.Wait());
  ASSERT_TRUE(finished.Wait());
  EXPECT_GE(SecondsSince(start), kEighth);
  EXPECT_EQ(S_OK, sample_->Stop());
  EXPECT_TRUE(sampleDone.Wait());
}

TEST_F(PlaybackTest, RangesPostEachNoteAndOnePastTheEnd) {
  const struct {
    int count;
    LONG blockStart, blockEnd;
    SHORT blockOnly;
    Indices posted;
    LONG current;  // afterwards
  } cases[] = {
      {3, -1, -1, 0, {0, 1, 2, 3}, -1},
      {5, 1, 3, 1, {1, 2, 3}, 3},
      {5, 3, 5, 1, {3, 4, 5}, -1},
      {0, -1, -1, 0, {}, -1},  // empty melody
      {4, -1, -1, 1, {}, -1},  // block unset
      {4, 2, 2, 1, {}, -1},    // empty block
      {4, 1, 9, 1, {}, -1},    // block past the end
  };
  for (const auto& c : cases) {
    auto melody = MelodyOfPitches(c.count);
    nv::ComPtr<IBlock> block;
    ASSERT_EQ(S_OK, melody->QueryInterface(IID_IBlock, block.putVoid()));
    ASSERT_EQ(S_OK, block->SetStart(c.blockStart));
    ASSERT_EQ(S_OK, block->SetEnd(c.blockEnd));
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(PlayThrough(melody.get(), c.blockOnly), c.posted)
        << c.count << " [" << c.blockStart << ", " << c.blockEnd;
    EXPECT_EQ(Current(melody.get()), c.current);
    if (!c.posted.empty()) {
      EXPECT_GE(SecondsSince(start), kEighth * (c.posted.size() - 1));
    }
  }
}

TEST_F(PlaybackTest, IsPlayingAndBusyWhilePlaying) {
  auto melody = MelodyOfPitches(3);
  ASSERT_EQ(S_OK, melody->Play(0, sample_.get(), queue_.Window(), kPlayMessage));
  SHORT playing = 0;
  EXPECT_EQ(S_OK, melody->IsPlaying(&playing));
  EXPECT_EQ(playing, 1);
  EXPECT_EQ(E_FAIL, melody->Play(0, sample_.get(), nullptr, 0));
  EXPECT_EQ(u"Объект занят\n", TakeErrorText());
  EXPECT_EQ(E_FAIL, melody->InsertNote());
  EXPECT_EQ(u"Объект занят\n", TakeErrorText());
  EXPECT_EQ(S_OK, melody->SetCurrent(0));
  ASSERT_TRUE(WaitIdle(melody.get()));
  EXPECT_EQ(S_OK, melody->InsertNote());
}

// A stop cuts a sounding note and a rest alike at once; no final
// notification comes and the stopped symbol stays current.
TEST_F(PlaybackTest, StopDuringTheSecondSymbol) {
  for (SHORT flags : {SHORT{0}, FLAG_REST}) {
    auto melody = NewMelody();
    ASSERT_EQ(S_OK, melody->InsertNoteValues(13, DURATION_EIGHTH, 0));
    ASSERT_EQ(S_OK, melody->InsertNoteValues(15, DURATION_HALF, flags));
    ASSERT_EQ(S_OK, melody->InsertNoteValues(17, DURATION_EIGHTH, 0));
    ASSERT_EQ(S_OK, melody->Play(0, sample_.get(), queue_.Window(), kPlayMessage));
    EXPECT_EQ(NextIndex(), 0u);
    EXPECT_EQ(NextIndex(), 1u);
    const Clock::time_point stop = Clock::now();
    EXPECT_EQ(S_OK, melody->Stop());
    ASSERT_TRUE(WaitIdle(melody.get()));
    EXPECT_LT(SecondsSince(stop), kHalf * 0.7) << flags;
    EXPECT_EQ(NextIndex(200), static_cast<WPARAM>(-1));
    EXPECT_EQ(Current(melody.get()), 1);
  }
}

// A rest ends at a stop, whether the stop comes through the note or through
// the release of the melody that plays it.
TEST_F(PlaybackTest, RestsAreStoppable) {
  auto note = NewNote();
  ASSERT_EQ(S_OK, note->SetDuration(0));
  ASSERT_EQ(S_OK, note->SetFlags(FLAG_REST | FLAG_DOT));
  Event started, finished;
  ASSERT_EQ(S_OK, note->Play(started.get(), finished.get(), sample_.get()));
  EXPECT_TRUE(started.Wait());
  Clock::time_point stop = Clock::now();
  EXPECT_EQ(S_OK, note->Stop());
  ASSERT_TRUE(finished.Wait());
  EXPECT_LT(SecondsSince(stop), kHalf);

  auto melody = NewMelody();
  ASSERT_EQ(S_OK, melody->InsertNoteValues(13, DURATION_WHOLE, FLAG_REST | FLAG_DOT));
  ASSERT_EQ(S_OK, melody->Play(0, sample_.get(), queue_.Window(), kPlayMessage));
  EXPECT_EQ(NextIndex(), 0u);
  stop = Clock::now();
  melody.reset();
  EXPECT_LT(SecondsSince(stop), kHalf);
}

// Releasing a note that played once and is idle now leaves the note that
// sounds alone, although every note of the process shares one stop event.
TEST_F(PlaybackTest, ReleasingAnIdleNoteStopsNothing) {
  auto idle = NewNote();
  ASSERT_EQ(S_OK, idle->SetFlags(FLAG_REST));
  Event idleFinished;
  ASSERT_EQ(S_OK, idle->Play(nullptr, idleFinished.get(), sample_.get()));
  ASSERT_TRUE(idleFinished.Wait());

  auto sounding = NewNote();
  ASSERT_EQ(S_OK, sounding->SetDuration(DURATION_WHOLE));
  ASSERT_EQ(S_OK, sounding->PrepareSound(sample_.get()));
  Event started, finished;
  ASSERT_EQ(S_OK, sounding->Play(started.get(), finished.get(), sample_.get()));
  EXPECT_TRUE(started.Wait());
  idle.reset();
  EXPECT_FALSE(finished.Wait(500));
  EXPECT_EQ(S_OK, sounding->Stop());
  EXPECT_TRUE(finished.Wait());
}

// Through ALSA's file PCM a melody arrives whole: the three rendered notes
// back to back, nothing between them.
TEST_F(PlaybackTest, FileCaptureHoldsTheWholeMelody) {
  nvtest::TempDir dir;
  const std::string capture = dir.file("melody.raw");
  UseAudioDevice("file:'" + capture + "',raw");
  const SHORT pitches[] = {13, 16, 20};
  auto melody = NewMelody();
  std::vector<BYTE> expected;
  for (SHORT pitch : pitches) {
    ASSERT_EQ(S_OK, melody->InsertNoteValues(pitch, DURATION_SIXTEENTH, 0));
    ASSERT_EQ(S_OK, sample_->PreparePlay(nv::NoteFrequency(static_cast<BYTE>(pitch)), 1310720));
    const std::vector<BYTE> note = soundtest::Rendered(sample_.get());
    expected.insert(expected.end(), note.begin(), note.end());
  }
  EXPECT_EQ(PlayThrough(melody.get(), 0), (Indices{0, 1, 2, 3}));
  WaveOutReleaseStreams();  // the file is complete once its stream is closed
  std::ifstream in(capture, std::ios::binary);
  const std::vector<BYTE> captured{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(captured.size(), expected.size());
  EXPECT_EQ(captured, expected);
}

TEST_F(PlaybackTest, ANoteThatRefusesToPlayIsPassedOver) {
  auto melody = MelodyOfPitches(3);
  Impl(Impl(melody.get())->NoteForTesting(1))->SetBusyForTesting(1);
  EXPECT_EQ(PlayThrough(melody.get(), 0), (Indices{0, 1, 2, 3}));
  Impl(Impl(melody.get())->NoteForTesting(1))->SetBusyForTesting(0);
}

TEST_F(PlaybackTest, DestroyingAPlayingMelodyWaitsForItsThread) {
  auto melody = MelodyOfPitches(6);
  ASSERT_EQ(S_OK, melody->Play(0, sample_.get(), queue_.Window(), kPlayMessage));
  EXPECT_EQ(NextIndex(), 0u);
  const Clock::time_point start = Clock::now();
  melody.reset();
  EXPECT_LT(SecondsSince(start), kEighth * 3);
  // Nothing more arrives from a thread that is gone.
  MessageQueue::Message m{};
  while (queue_.Peek(&m)) {
  }
  EXPECT_EQ(NextIndex(300), static_cast<WPARAM>(-1));
}

}  // namespace
