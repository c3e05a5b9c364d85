#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ModelTestSupport.h"

namespace {

using nvtest::Current;
using nvtest::MelodyOfPitches;
using nvtest::NewMelody;
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

LONG Read(IBlock* block, HRESULT (STDMETHODCALLTYPE IBlock::*get)(LONG*)) {
  LONG value = -2;
  EXPECT_EQ(S_OK, (block->*get)(&value));
  return value;
}

nv::ComPtr<IBlock> BlockOf(IMelody* melody) {
  nv::ComPtr<IBlock> block;
  EXPECT_EQ(S_OK, melody->QueryInterface(IID_IBlock, block.putVoid()));
  return block;
}

TEST(Melody, StartsEmptyWithDefaults) {
  auto melody = NewMelody();
  LONG count = -1, channel = -1;
  EXPECT_EQ(S_OK, melody->GetCount(&count));
  EXPECT_EQ(0, count);
  EXPECT_EQ(-1, Current(melody.get()));
  EXPECT_EQ(u"Новая мелодия", Name(melody.get()));
  nv::ComPtr<IChannel> ch;
  ASSERT_EQ(S_OK, melody->QueryInterface(IID_IChannel, ch.putVoid()));
  EXPECT_EQ(S_OK, ch->GetChannel(&channel));
  EXPECT_EQ(1, channel);
  auto block = BlockOf(melody.get());
  EXPECT_EQ(-1, Read(block.get(), &IBlock::GetStart));
  EXPECT_EQ(-1, Read(block.get(), &IBlock::GetEnd));
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
    SCOPED_TRACE(testing::Message() << c.count << " notes, current " << c.current << (c.rest ? " rest" : " note"));
    auto melody = MelodyOfPitches(c.count);
    ASSERT_EQ(S_OK, melody->SetCurrent(c.current));
    ASSERT_EQ(S_OK, c.rest ? melody->InsertRest() : melody->InsertNote());
    EXPECT_EQ(c.pitches, Pitches(melody.get()));
    const LONG at = c.current >= 0 ? c.current + 1 : c.count;
    EXPECT_EQ(at, Current(melody.get()));
    EXPECT_EQ(Ints{at}, SelectedIndices(melody.get()));
    SHORT duration = -1, flags = -1;
    EXPECT_EQ(S_OK, melody->GetCurrentDuration(&duration));
    EXPECT_EQ(S_OK, melody->GetCurrentFlags(&flags));
    EXPECT_EQ(3, duration);
    EXPECT_EQ(c.rest ? FLAG_REST : 0, flags);
  }
}

TEST(Melody, InsertNoteValuesStoresTheValuesUnchecked) {
  auto melody = NewMelody();
  ASSERT_EQ(S_OK, melody->InsertNoteValues(40, 6, FLAG_DOT | 0x40));
  SHORT pitch = 0, duration = 0, flags = 0;
  EXPECT_EQ(S_OK, melody->GetCurrentPitch(&pitch));
  EXPECT_EQ(S_OK, melody->GetCurrentDuration(&duration));
  EXPECT_EQ(S_OK, melody->GetCurrentFlags(&flags));
  EXPECT_EQ(40, pitch);
  EXPECT_EQ(6, duration);
  EXPECT_EQ(FLAG_DOT | 0x40, flags);
}

TEST(Melody, DeletingTheCurrentOrLastNote) {
  const struct {
    const char* what;
    LONG current;
    bool last;  // DeleteLast, else DeleteCurrent
    Ints pitches;
    LONG currentAfter;
  } cases[] = {
      {"current, none", -1, false, {0, 1, 2}, -1},  {"current", 1, false, {0, 2}, -1},
      {"last, last current", 2, true, {0, 1}, -1},  {"last, other current", 0, true, {0, 1}, 0},
      {"last, none current", -1, true, {0, 1}, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto melody = MelodyOfPitches(3);
    ASSERT_EQ(S_OK, melody->SetCurrent(c.current));
    ASSERT_EQ(S_OK, c.last ? melody->DeleteLast() : melody->DeleteCurrent());
    EXPECT_EQ(c.pitches, Pitches(melody.get()));
    EXPECT_EQ(c.currentAfter, Current(melody.get()));
    EXPECT_EQ(c.currentAfter >= 0 ? Ints{c.currentAfter} : Ints{}, SelectedIndices(melody.get()));
  }
  auto empty = NewMelody();
  EXPECT_EQ(S_OK, empty->DeleteLast());
}

TEST(Melody, SetCurrentSelectsOnlyAnExistingIndex) {
  for (LONG index : {0, 4, 2, -1, 5, 100, -7}) {
    auto melody = MelodyOfPitches(5);
    ASSERT_EQ(S_OK, melody->SetCurrent(3));
    EXPECT_EQ(S_OK, melody->SetCurrent(index));
    const bool valid = index >= 0 && index < 5;
    EXPECT_EQ(valid ? index : -1, Current(melody.get())) << index;
    EXPECT_EQ(valid ? Ints{index} : Ints{}, SelectedIndices(melody.get())) << index;
  }
}

TEST(Melody, CurrentNoteAccessorsAndSteps) {
  auto melody = MelodyOfPitches(2);
  SHORT untouched = 77;
  EXPECT_EQ(S_OK, melody->GetCurrentPitch(&untouched));
  EXPECT_EQ(S_OK, melody->CurrentPitchUp(&untouched, nullptr));
  EXPECT_EQ(77, untouched);

  ASSERT_EQ(S_OK, melody->SetCurrent(1));
  SHORT before = 0, after = 0;
  EXPECT_EQ(S_OK, melody->CurrentPitchUp(&before, &after));
  EXPECT_EQ(1, before);
  EXPECT_EQ(2, after);
  EXPECT_EQ(S_OK, melody->CurrentPitchDown(nullptr, &after));
  EXPECT_EQ(1, after);

  SHORT db = 0, da = 0, fb = 0, fa = 0;
  EXPECT_EQ(S_OK, melody->CurrentLengthen(&db, &da, &fb, &fa));  // eighth -> dotted eighth
  EXPECT_EQ((Ints{3, 3, 0, FLAG_DOT}), (Ints{db, da, fb, fa}));
  EXPECT_EQ(S_OK, melody->CurrentLengthen(nullptr, &da, nullptr, &fa));  // -> quarter
  EXPECT_EQ((Ints{2, 0}), (Ints{da, fa}));
  EXPECT_EQ(S_OK, melody->CurrentShorten(&db, &da, &fb, &fa));  // -> dotted eighth
  EXPECT_EQ((Ints{2, 3, 0, FLAG_DOT}), (Ints{db, da, fb, fa}));
}

TEST(Melody, NameIsCopiedUpToItsFirstNul) {
  auto melody = NewMelody();
  BSTR name = SysAllocStringLen(u"Вальс\0хвост", 11);
  ASSERT_EQ(S_OK, melody->SetName(name));
  SysFreeString(name);
  EXPECT_EQ(u"Вальс", Name(melody.get()));
  EXPECT_EQ(S_OK, melody->SetName(nullptr));
  EXPECT_EQ(u"", Name(melody.get()));
}

TEST(Melody, ClearKeepsChannelAndBlock) {
  auto melody = MelodyOfPitches(4);
  BSTR name = SysAllocString(u"Марш");
  melody->SetName(name);
  SysFreeString(name);
  melody->SetCurrent(2);
  auto block = BlockOf(melody.get());
  block->SetStart(1);
  block->SetEnd(3);
  ASSERT_EQ(S_OK, melody->Clear());
  EXPECT_EQ(Ints{}, Pitches(melody.get()));
  EXPECT_EQ(-1, Current(melody.get()));
  EXPECT_EQ(u"Новая мелодия", Name(melody.get()));
  EXPECT_EQ(1, Read(block.get(), &IBlock::GetStart));
  EXPECT_EQ(3, Read(block.get(), &IBlock::GetEnd));
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
    SCOPED_TRACE(testing::Message() << c.count << " notes [" << c.start << ", " << c.end << ") "
                                    << (c.keep ? "keep" : "delete"));
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
      EXPECT_EQ(c.start, Read(block.get(), &IBlock::GetStart));
      EXPECT_EQ(c.end, Read(block.get(), &IBlock::GetEnd));
    } else {
      EXPECT_EQ(S_OK, hr);
      EXPECT_EQ(c.pitches, Pitches(melody.get()));
      EXPECT_EQ(-1, Current(melody.get()));
      EXPECT_EQ(Ints{}, SelectedIndices(melody.get()));
      EXPECT_EQ(-1, Read(block.get(), &IBlock::GetStart));
      EXPECT_EQ(-1, Read(block.get(), &IBlock::GetEnd));
    }
  }
}

TEST(Melody, WhileBusyEditingIsRefusedButSelectionNameChannelAndBlockBoundsAreNot) {
  auto melody = MelodyOfPitches(3);
  melody->SetCurrent(1);
  auto block = BlockOf(melody.get());
  block->SetStart(0);
  block->SetEnd(2);
  nv::ComPtr<IChannel> channel;
  ASSERT_EQ(S_OK, melody->QueryInterface(IID_IChannel, channel.putVoid()));
  nvtest::Impl(melody.get())->SetBusyForTesting(1);

  IMelody* m = melody.get();
  IBlock* b = block.get();
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
  EXPECT_EQ(0, Read(b, &IBlock::GetStart));

  BSTR name = SysAllocString(u"Этюд");
  EXPECT_EQ(S_OK, m->SetName(name));
  SysFreeString(name);
  EXPECT_EQ(S_OK, m->SetCurrent(2));
  EXPECT_EQ(S_OK, channel->SetChannel(9));
  EXPECT_EQ(S_OK, b->SetStart(1));
  EXPECT_EQ(S_OK, b->SetEnd(3));
  EXPECT_EQ(S_OK, m->GetCurrentPitch(&s));
  EXPECT_EQ(2, s);
  EXPECT_EQ(u"Этюд", Name(m));
  LONG value = 0;
  EXPECT_EQ(S_OK, channel->GetChannel(&value));
  EXPECT_EQ(9, value);
  EXPECT_EQ(3, Read(b, &IBlock::GetEnd));

  nvtest::Impl(melody.get())->SetBusyForTesting(0);
  EXPECT_EQ(S_OK, b->KeepBlock());
  EXPECT_EQ((Ints{1, 2}), Pitches(m));
}

TEST(Melody, ConcurrentCallersKeepOneSelectedCurrentNote) {
  auto melody = NewMelody();
  IMelody* m = melody.get();
  {
    std::vector<std::jthread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([m, t] {
        for (int i = 0; i < 200; ++i) {
          switch ((i + t) % 4) {
            case 0:
              m->InsertNote();
              break;
            case 1:
              m->SetCurrent(i % 7);
              break;
            case 2: {
              nv::ComPtr<IBlock> block;
              if (SUCCEEDED(m->QueryInterface(IID_IBlock, block.putVoid()))) block->SetStart(i);
              break;
            }
            default:
              m->DeleteLast();
              break;
          }
        }
      });
    }
  }
  const LONG current = Current(m);
  EXPECT_EQ(current >= 0 ? Ints{current} : Ints{}, SelectedIndices(m));
  EXPECT_LT(current, static_cast<LONG>(Pitches(m).size()));
}

TEST(Melody, NullOutArgumentsAreRejected) {
  auto melody = MelodyOfPitches(1);
  melody->SetCurrent(0);
  EXPECT_EQ(E_POINTER, melody->GetName(nullptr));
  EXPECT_EQ(E_POINTER, melody->GetCount(nullptr));
  EXPECT_EQ(E_POINTER, melody->GetCurrent(nullptr));
  EXPECT_EQ(E_POINTER, melody->GetCurrentPitch(nullptr));
  EXPECT_EQ(E_POINTER, BlockOf(melody.get())->GetEnd(nullptr));
}

}  // namespace
