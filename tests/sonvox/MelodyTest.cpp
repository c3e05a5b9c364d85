#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ModelTestSupport.h"

namespace {

using nvtest::Current;
using nvtest::MelodyOfPitches;
using nvtest::Pitches;
using nvtest::SelectedIndices;
using Ints = std::vector<int>;

std::u16string Name(IMelody* melody) {
  BSTR name = nullptr;
  EXPECT_EQ(S_OK, melody->GetName(&name));
  std::u16string result(name, SysStringLen(name));
  SysFreeString(name);
  return result;
}

nv::ComPtr<IBlock> BlockOf(IMelody* melody) {
  nv::ComPtr<IBlock> block;
  EXPECT_EQ(S_OK, melody->QueryInterface(IID_IBlock, block.putVoid()));
  return block;
}

Ints Bounds(IBlock* block) {
  LONG start = -2, end = -2;
  EXPECT_EQ(S_OK, block->GetStart(&start));
  EXPECT_EQ(S_OK, block->GetEnd(&end));
  return {start, end};
}

TEST(Melody, InsertionGoesAfterTheCurrentNoteOrAtTheEndAndBecomesCurrent) {
  const struct {
    int count;
    LONG current;
    bool rest;
    Ints pitches;  // the new symbol has pitch 11
  } cases[] = {
      {0, -1, false, {11}},
      {5, -1, false, {0, 1, 2, 3, 4, 11}},
      {5, 2, true, {0, 1, 2, 11, 3, 4}},
      {5, 0, false, {0, 11, 1, 2, 3, 4}},
      {5, 4, true, {0, 1, 2, 3, 4, 11}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.count << " notes, current " << c.current << " rest " << c.rest);
    auto melody = MelodyOfPitches(c.count);
    melody->SetCurrent(c.current);
    ASSERT_EQ(S_OK, c.rest ? melody->InsertRest() : melody->InsertNote());
    EXPECT_EQ(c.pitches, Pitches(melody.get()));
    const LONG at = c.current >= 0 ? c.current + 1 : c.count;
    EXPECT_EQ(at, Current(melody.get()));
    EXPECT_EQ(Ints{at}, SelectedIndices(melody.get()));
    SHORT duration = -1, flags = -1;
    melody->GetCurrentDuration(&duration);
    melody->GetCurrentFlags(&flags);
    EXPECT_EQ((Ints{3, c.rest ? FLAG_REST : 0}), (Ints{duration, flags}));
  }
  auto melody = nvtest::NewMelody();
  ASSERT_EQ(S_OK, melody->InsertNoteValues(40, 4, FLAG_DOT | 0x40));  // stored unchecked
  SHORT pitch = 0, before = 0, after = 0;
  EXPECT_EQ(S_OK, melody->CurrentPitchDown(nullptr, &pitch));
  EXPECT_EQ(S_OK, melody->CurrentShorten(&before, &after, nullptr, nullptr));
  EXPECT_EQ((Ints{39, 4, 4}), (Ints{pitch, before, after}));
}

TEST(Melody, DeletingTheCurrentOrLastNote) {
  const struct {
    LONG current;
    bool last;  // DeleteLast, else DeleteCurrent
    Ints pitches;
    LONG currentAfter;
  } cases[] = {
      {-1, false, {0, 1, 2}, -1}, {1, false, {0, 2}, -1}, {2, true, {0, 1}, -1},
      {0, true, {0, 1}, 0},       {-1, true, {0, 1}, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "current " << c.current << " last " << c.last);
    auto melody = MelodyOfPitches(3);
    melody->SetCurrent(c.current);
    ASSERT_EQ(S_OK, c.last ? melody->DeleteLast() : melody->DeleteCurrent());
    EXPECT_EQ(c.pitches, Pitches(melody.get()));
    EXPECT_EQ(c.currentAfter, Current(melody.get()));
    EXPECT_EQ(c.currentAfter >= 0 ? Ints{c.currentAfter} : Ints{}, SelectedIndices(melody.get()));
  }
  EXPECT_EQ(S_OK, nvtest::NewMelody()->DeleteLast());
}

TEST(Melody, SetCurrentSelectsOnlyAnExistingIndex) {
  for (LONG index : {0, 4, 2, -1, 5, 100, -7}) {
    auto melody = MelodyOfPitches(5);
    melody->SetCurrent(3);
    EXPECT_EQ(S_OK, melody->SetCurrent(index));
    const bool valid = index >= 0 && index < 5;
    EXPECT_EQ(valid ? index : -1, Current(melody.get())) << index;
    EXPECT_EQ(valid ? Ints{index} : Ints{}, SelectedIndices(melody.get())) << index;
  }
}

TEST(Melody, NameEndsAtItsFirstNulAndClearResetsItButKeepsChannelAndBlock) {
  auto melody = MelodyOfPitches(4);
  BSTR name = SysAllocStringLen(u"Вальс\0хвост", 11);
  melody->SetName(name);
  SysFreeString(name);
  EXPECT_EQ(u"Вальс", Name(melody.get()));
  melody->SetCurrent(2);
  auto block = BlockOf(melody.get());
  block->SetStart(1);
  block->SetEnd(3);
  ASSERT_EQ(S_OK, melody->Clear());
  EXPECT_EQ(Ints{}, Pitches(melody.get()));
  EXPECT_EQ(-1, Current(melody.get()));
  EXPECT_EQ(u"Новая мелодия", Name(melody.get()));
  EXPECT_EQ((Ints{1, 3}), Bounds(block.get()));
}

constexpr char16_t kStartText[] = u"Начальная позиция блока выходит за пределы мелодии\n";
constexpr char16_t kEndText[] = u"Конечная позицию блока выходит за пределы мелодии\n";
constexpr char16_t kOrderText[] = u"Начальная позиция больше конечной\n";

TEST(Melody, BlockOperationsValidateInOrderThenCut) {
  const struct {
    int count;
    LONG start, end;
    bool keep;
    const char16_t* error;  // null: succeeds
    Ints pitches;           // on success
  } cases[] = {
      {0, 0, 0, false, kStartText, {}},
      {5, -1, 9, true, kStartText, {}},
      {5, 5, 5, false, kStartText, {}},
      {5, 0, -1, true, kEndText, {}},
      {5, 0, 6, false, kEndText, {}},
      {5, 3, 2, true, kOrderText, {}},
      {5, 2, 2, false, nullptr, {0, 1, 2, 3, 4}},
      {5, 1, 3, false, nullptr, {0, 3, 4}},
      {5, 1, 3, true, nullptr, {1, 2}},
      {5, 0, 5, false, nullptr, {}},
      {5, 4, 5, true, nullptr, {4}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.count << " notes [" << c.start << ", " << c.end << ") keep " << c.keep);
    auto melody = MelodyOfPitches(c.count);
    melody->SetCurrent(c.count - 1);
    auto block = BlockOf(melody.get());
    block->SetStart(c.start);
    block->SetEnd(c.end);
    const HRESULT hr = c.keep ? block->KeepBlock() : block->DeleteBlock();
    if (c.error != nullptr) {
      EXPECT_EQ(E_FAIL, hr);
      EXPECT_EQ(c.error, nvtest::TakeErrorText());
      EXPECT_EQ(static_cast<size_t>(c.count), Pitches(melody.get()).size());
      EXPECT_EQ(c.count - 1, Current(melody.get()));
      EXPECT_EQ((Ints{c.start, c.end}), Bounds(block.get()));
    } else {
      EXPECT_EQ(S_OK, hr);
      EXPECT_EQ(c.pitches, Pitches(melody.get()));
      EXPECT_EQ(-1, Current(melody.get()));
      EXPECT_EQ(Ints{}, SelectedIndices(melody.get()));
      EXPECT_EQ((Ints{-1, -1}), Bounds(block.get()));
    }
  }
}

TEST(Melody, WhileBusyEditingIsRefusedButSelectionNameChannelAndBlockBoundsAreNot) {
  auto melody = MelodyOfPitches(3);
  IMelody* m = melody.get();
  auto block = BlockOf(m);
  IBlock* b = block.get();
  b->SetStart(0);
  b->SetEnd(2);
  nv::ComPtr<IChannel> channel;
  ASSERT_EQ(S_OK, m->QueryInterface(IID_IChannel, channel.putVoid()));
  nvtest::Impl(m)->SetBusyForTesting(1);

  SHORT s = 0;
  const std::function<HRESULT()> refused[] = {
      [&] { return m->InsertNote(); },
      [&] { return m->InsertNoteValues(1, 2, 0); },
      [&] { return m->InsertRest(); },
      [&] { return m->DeleteCurrent(); },
      [&] { return m->DeleteLast(); },
      [&] { return m->CurrentPitchUp(&s, &s); },
      [&] { return m->CurrentPitchDown(&s, &s); },
      [&] { return m->CurrentLengthen(&s, &s, &s, &s); },
      [&] { return m->CurrentShorten(&s, &s, &s, &s); },
      [&] { return m->Clear(); },
      [&] { return b->DeleteBlock(); },
      [&] { return b->KeepBlock(); },
      [&] { return b->ResetBlock(); },
  };
  for (size_t i = 0; i < std::size(refused); ++i) {
    EXPECT_EQ(E_FAIL, refused[i]()) << "refused call " << i;
    EXPECT_EQ(u"Объект занят\n", nvtest::TakeErrorText()) << "refused call " << i;
  }
  EXPECT_EQ((Ints{0, 1, 2}), Pitches(m));
  EXPECT_EQ((Ints{0, 2}), Bounds(b));

  EXPECT_EQ(S_OK, m->SetName(nullptr));
  EXPECT_EQ(S_OK, m->SetCurrent(2));
  EXPECT_EQ(S_OK, channel->SetChannel(9));
  EXPECT_EQ(S_OK, b->SetStart(1));
  EXPECT_EQ(S_OK, b->SetEnd(3));
  EXPECT_EQ(Ints{2}, SelectedIndices(m));

  nvtest::Impl(m)->SetBusyForTesting(0);
  EXPECT_EQ(S_OK, b->KeepBlock());
  EXPECT_EQ((Ints{1, 2}), Pitches(m));
}

TEST(Melody, ConcurrentCallersKeepOneSelectedCurrentNote) {
  auto melody = nvtest::NewMelody();
  IMelody* m = melody.get();
  {
    std::vector<std::jthread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([m, t] {
        for (int i = 0; i < 200; ++i) {
          const int op = (i + t) % 4;
          if (op == 0) m->InsertNote();
          if (op == 1) m->SetCurrent(i % 7);
          if (op == 2) m->DeleteLast();
          if (op == 3) BlockOf(m)->SetStart(i);
        }
      });
    }
  }
  const LONG current = Current(m);
  EXPECT_EQ(current >= 0 ? Ints{current} : Ints{}, SelectedIndices(m));
  EXPECT_LT(current, static_cast<LONG>(Pitches(m).size()));
}

}  // namespace
