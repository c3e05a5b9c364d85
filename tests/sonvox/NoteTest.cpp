#include <gtest/gtest.h>

#include <cmath>

#include "ModelTestSupport.h"
#include "NoteTables.h"

namespace {

using nvtest::NewNote;
using Values = std::vector<int>;  // pitch, duration, flags

Values Read(INote1* note) {
  SHORT p = -1, d = -1, f = -1;
  EXPECT_EQ(S_OK, note->GetPitch(&p));
  EXPECT_EQ(S_OK, note->GetDuration(&d));
  EXPECT_EQ(S_OK, note->GetFlags(&f));
  return {p, d, f};
}

// The ten lengths, shortest first: (duration code, dotted).
constexpr std::pair<SHORT, bool> kLadder[] = {{4, false}, {4, true},  {3, false}, {3, true},  {2, false},
                                              {2, true},  {1, false}, {1, true},  {0, false}, {0, true}};

TEST(Note, LengthenAndShortenStepOneRungOfTheLadderAndStopAtItsEnds) {
  constexpr int top = 9;
  // A rest steps like a note; 0x80 means nothing here and must survive.
  for (SHORT extra : {SHORT{0}, FLAG_REST, SHORT{0x80}}) {
    for (int rung = 0; rung <= top; ++rung) {
      for (bool lengthen : {true, false}) {
        SCOPED_TRACE(testing::Message() << "rung " << rung << " lengthen " << lengthen << " extra " << extra);
        auto note = NewNote();
        note->SetDuration(kLadder[rung].first);
        note->SetFlags(static_cast<SHORT>(extra | (kLadder[rung].second ? FLAG_DOT : 0)));
        ASSERT_EQ(S_OK, lengthen ? note->Lengthen() : note->Shorten());
        const auto [duration, dotted] = kLadder[lengthen ? std::min(rung + 1, top) : std::max(rung - 1, 0)];
        EXPECT_EQ((Values{11, duration, extra | (dotted ? FLAG_DOT : 0)}), Read(note.get()));
      }
    }
  }
}

TEST(Note, PitchStepsStayInRangeAndLeaveRestsAlone) {
  EXPECT_EQ((Values{11, 3, 0}), Read(NewNote().get()));  // a new note is an eighth G4
  const struct {
    SHORT pitch, flags;
    bool up;
    SHORT want;
  } cases[] = {{30, 0, true, 31},       {31, 0, true, 31},        {1, 0, false, 0},       {0, 0, false, 0},
               {5, FLAG_REST, true, 5}, {5, FLAG_REST, false, 5}, {5, FLAG_DOT, true, 6}, {0x1234, 0, false, 0x33}};
  for (const auto& c : cases) {
    auto note = NewNote();
    note->SetPitch(c.pitch);  // keeps the low 8 bits
    note->SetFlags(c.flags);
    ASSERT_EQ(S_OK, c.up ? note->PitchUp() : note->PitchDown());
    EXPECT_EQ(c.want, Read(note.get())[0]) << c.pitch << " " << c.flags << " " << c.up;
  }
}

TEST(Note, EditingIsRefusedWhileBusyButSelectionIsNot) {
  auto note = NewNote();
  nvtest::Impl(note.get())->SetBusyForTesting(1);
  HRESULT(*const refused[])
  (INote1*) = {
      [](INote1* n) { return n->SetPitch(3); }, [](INote1* n) { return n->SetDuration(1); },
      [](INote1* n) { return n->SetFlags(4); }, [](INote1* n) { return n->Lengthen(); },
      [](INote1* n) { return n->Shorten(); },   [](INote1* n) { return n->PitchUp(); },
      [](INote1* n) { return n->PitchDown(); },
  };
  for (auto call : refused) {
    EXPECT_EQ(E_FAIL, call(note.get()));
    EXPECT_EQ(u"Объект занят\n", nvtest::TakeErrorText());
  }
  EXPECT_EQ((Values{11, 3, 0}), Read(note.get()));
  EXPECT_EQ(S_OK, note->Select());
  EXPECT_TRUE(nvtest::Impl(note.get())->IsSelectedForTesting());
  nvtest::Impl(note.get())->SetBusyForTesting(0);
  EXPECT_EQ(S_OK, note->PitchUp());
}

// Duration codes above the sixteenth have no length: the note and the
// melody refuse them and change nothing (only the low 8 bits count).
TEST(Note, DurationCodesAbove4AreRefused) {
  auto note = NewNote();
  for (SHORT code : {SHORT{5}, SHORT{7}, SHORT{255}, SHORT{-1}}) {
    EXPECT_EQ(E_INVALIDARG, note->SetDuration(code)) << code;
    EXPECT_EQ((Values{11, 3, 0}), Read(note.get())) << code;
  }
  EXPECT_EQ(S_OK, note->SetDuration(0x104));
  EXPECT_EQ((Values{11, 4, 0}), Read(note.get()));

  auto melody = nvtest::NewMelody();
  ASSERT_EQ(S_OK, melody->InsertNoteValues(13, 4, 0));
  EXPECT_EQ(E_INVALIDARG, melody->InsertNoteValues(13, 5, 0));
  LONG count = 0;
  EXPECT_EQ(S_OK, melody->GetCount(&count));
  EXPECT_EQ(count, 1);
  EXPECT_EQ(nvtest::Current(melody.get()), 0);
}

TEST(NoteTables, FrequenciesAndLengths) {
  for (int p = 0; p < PITCH_COUNT; ++p) {
    EXPECT_EQ(std::lround(440.0 * std::pow(2.0, (p - 13) / 12.0)), nv::NoteFrequency(static_cast<BYTE>(p))) << p;
  }
  EXPECT_EQ(1245, nv::NoteFrequency(200));  // stored out of range: the top of the scale
  EXPECT_EQ(5242880, nv::NoteLength(2, 0));
  EXPECT_EQ(1966080, nv::NoteLength(4, FLAG_DOT));
  EXPECT_EQ(31457280, nv::NoteLength(0, FLAG_DOT | FLAG_REST));
  EXPECT_EQ(1966080, nv::NoteLength(9, FLAG_DOT));  // stored out of range: a sixteenth
}

}  // namespace
