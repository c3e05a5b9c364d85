#include <gtest/gtest.h>

#include <cmath>

#include "ModelTestSupport.h"
#include "NoteTables.h"

namespace {

using nvtest::NewNote;

struct NoteValues {
  SHORT pitch, duration, flags;
};

NoteValues Read(INote1* note) {
  NoteValues v{-1, -1, -1};
  EXPECT_EQ(S_OK, note->GetPitch(&v.pitch));
  EXPECT_EQ(S_OK, note->GetDuration(&v.duration));
  EXPECT_EQ(S_OK, note->GetFlags(&v.flags));
  return v;
}

TEST(Note, StartsAsAnEighthG4NotSelected) {
  auto note = NewNote();
  NoteValues v = Read(note.get());
  EXPECT_EQ(11, v.pitch);
  EXPECT_EQ(3, v.duration);
  EXPECT_EQ(0, v.flags);
  EXPECT_FALSE(nvtest::Impl(note.get())->IsSelectedForTesting());
}

TEST(Note, SettersKeepTheLowEightBitsZeroExtended) {
  auto note = NewNote();
  ASSERT_EQ(S_OK, note->SetPitch(0x1234));
  ASSERT_EQ(S_OK, note->SetDuration(7));
  ASSERT_EQ(S_OK, note->SetFlags(-1));
  NoteValues v = Read(note.get());
  EXPECT_EQ(0x34, v.pitch);
  EXPECT_EQ(7, v.duration);
  EXPECT_EQ(0xFF, v.flags);
}

// The ten lengths, shortest first: (duration code, dotted).
constexpr struct Rung {
  SHORT duration;
  bool dotted;
} kLadder[] = {{4, false}, {4, true},  {3, false}, {3, true},  {2, false},
               {2, true},  {1, false}, {1, true},  {0, false}, {0, true}};

TEST(Note, LengthenAndShortenStepOneRungOfTheLadderAndStopAtItsEnds) {
  constexpr int top = static_cast<int>(std::size(kLadder)) - 1;
  // 0x80 is a flag bit without meaning here: it must survive every step, as must a rest.
  for (SHORT extra : {SHORT{0}, SHORT{FLAG_REST}, SHORT{0x80}}) {
    for (int rung = 0; rung <= top; ++rung) {
      for (bool lengthen : {true, false}) {
        SCOPED_TRACE(testing::Message() << "rung " << rung << (lengthen ? " lengthen" : " shorten") << " extra "
                                        << extra);
        auto note = NewNote();
        ASSERT_EQ(S_OK, note->SetDuration(kLadder[rung].duration));
        ASSERT_EQ(S_OK, note->SetFlags(static_cast<SHORT>(extra | (kLadder[rung].dotted ? FLAG_DOT : 0))));
        ASSERT_EQ(S_OK, lengthen ? note->Lengthen() : note->Shorten());
        const Rung& want = kLadder[lengthen ? std::min(rung + 1, top) : std::max(rung - 1, 0)];
        NoteValues v = Read(note.get());
        EXPECT_EQ(want.duration, v.duration);
        EXPECT_EQ(extra | (want.dotted ? FLAG_DOT : 0), v.flags);
      }
    }
  }
}

TEST(Note, PitchStepsStayInRangeAndLeaveRestsAlone) {
  const struct {
    SHORT pitch, flags;
    bool up;
    SHORT want;
  } cases[] = {
      {30, 0, true, 31},       {31, 0, true, 31},        {1, 0, false, 0},       {0, 0, false, 0},
      {5, FLAG_REST, true, 5}, {5, FLAG_REST, false, 5}, {5, FLAG_DOT, true, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "pitch " << c.pitch << " flags " << c.flags << (c.up ? " up" : " down"));
    auto note = NewNote();
    ASSERT_EQ(S_OK, note->SetPitch(c.pitch));
    ASSERT_EQ(S_OK, note->SetFlags(c.flags));
    ASSERT_EQ(S_OK, c.up ? note->PitchUp() : note->PitchDown());
    EXPECT_EQ(c.want, Read(note.get()).pitch);
  }
}

TEST(Note, EditingIsRefusedWhileBusyButReadingAndSelectionAreNot) {
  auto note = NewNote();
  nvtest::Impl(note.get())->SetBusyForTesting(1);
  const struct {
    const char* name;
    HRESULT (*call)(INote1*);
  } refused[] = {
      {"SetPitch", [](INote1* n) { return n->SetPitch(3); }},
      {"SetDuration", [](INote1* n) { return n->SetDuration(1); }},
      {"SetFlags", [](INote1* n) { return n->SetFlags(FLAG_REST); }},
      {"Lengthen", [](INote1* n) { return n->Lengthen(); }},
      {"Shorten", [](INote1* n) { return n->Shorten(); }},
      {"PitchUp", [](INote1* n) { return n->PitchUp(); }},
      {"PitchDown", [](INote1* n) { return n->PitchDown(); }},
  };
  for (const auto& r : refused) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(E_FAIL, r.call(note.get()));
    EXPECT_EQ(u"Объект занят\n", nvtest::TakeErrorText());
  }
  NoteValues v = Read(note.get());
  EXPECT_EQ(11, v.pitch);
  EXPECT_EQ(3, v.duration);
  EXPECT_EQ(0, v.flags);
  EXPECT_EQ(S_OK, note->Select());
  EXPECT_TRUE(nvtest::Impl(note.get())->IsSelectedForTesting());
  EXPECT_EQ(S_OK, note->Deselect());
  EXPECT_EQ(std::u16string(), nvtest::TakeErrorText());

  nvtest::Impl(note.get())->SetBusyForTesting(0);
  EXPECT_EQ(S_OK, note->PitchUp());
  EXPECT_EQ(12, Read(note.get()).pitch);
}

TEST(Note, NullOutArgumentsAreRejected) {
  auto note = NewNote();
  EXPECT_EQ(E_POINTER, note->GetPitch(nullptr));
  EXPECT_EQ(E_POINTER, note->GetDuration(nullptr));
  EXPECT_EQ(E_POINTER, note->GetFlags(nullptr));
}

TEST(NoteTables, FrequenciesAreTheRoundedEqualTemperedScale) {
  for (int p = 0; p < PITCH_COUNT; ++p) {
    EXPECT_EQ(std::lround(440.0 * std::pow(2.0, (p - 13) / 12.0)), nv::NoteFrequency(static_cast<BYTE>(p))) << p;
  }
  EXPECT_EQ(1245, nv::NoteFrequency(200));  // stored out of range: the top of the scale
}

TEST(NoteTables, LengthsAddTheNextShorterValueForADot) {
  const struct {
    BYTE duration, flags;
    LONG ticks;
  } cases[] = {
      {2, 0, 5242880},
      {4, FLAG_DOT, 1966080},
      {0, FLAG_DOT, 31457280},
      {3, FLAG_REST, 2621440},
      {9, 0, 1310720} /* out of range: a sixteenth */,
      {9, FLAG_DOT, 1966080},
  };
  for (const auto& c : cases) EXPECT_EQ(c.ticks, nv::NoteLength(c.duration, c.flags)) << int(c.duration);
}

}  // namespace
