// The melody's drawing methods on the real note and melody classes: note
// positions and size, selection by click, painting with the selection and
// painting while another thread moves the current note.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "CComObject.h"
#include "CMelody.h"
#include "RecordingSurface.h"

namespace nv {
namespace {

using test::Primitive;
using test::RecordingSurface;

constexpr COLORREF kColours[] = {RGB(255, 0, 0), RGB(0, 0, 0), 0, 0, 0};
constexpr RECT kAll{0, 0, 100000, 100000};

class MelodyDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CComObject<CMelody>::CreateInstance(IID_IMelody, reinterpret_cast<void**>(&melody)), S_OK);
    test::FillBlank(staff, 2);
    test::FillBlank(notes, 17);
    test::FillBlank(selected, 17);
  }
  void TearDown() override { melody->Release(); }

  // Appends symbols of (pitch, flags); the last one becomes current.
  void Add(std::initializer_list<std::pair<SHORT, SHORT>> symbols) {
    for (auto [pitch, flags] : symbols) ASSERT_EQ(melody->InsertNoteValues(pitch, DURATION_QUARTER, flags), S_OK);
  }
  LONG Current() {
    LONG current = -2;
    EXPECT_EQ(melody->GetCurrent(&current), S_OK);
    return current;
  }
  POINT Position(LONG index, LONG scale = 100, LONG top = 16) {
    POINT p{-1, -1};
    EXPECT_EQ(melody->GetNotePosition(index, scale, top, &p), S_OK);
    return p;
  }
  // The x of every glyph drawn from list by the last painting.
  std::vector<LONG> GlyphsFrom(HIMAGELIST list) const {
    std::vector<LONG> xs;
    for (const Primitive& p : surface.Only(Primitive::kImage)) {
      if (p.list == list) xs.push_back(p.x0);
    }
    return xs;
  }

  IMelody* melody = nullptr;
  RecordingSurface surface;
  ImageList staff{35, 69}, notes{21, 31}, selected{21, 31};
};

TEST_F(MelodyDrawing, PositionsAndSize) {
  Add({{11, 0}, {5, 0}});
  for (int i = 0; i < 10; ++i) Add({{11, FLAG_REST}});
  Add({{11, FLAG_REST}});
  EXPECT_EQ(Position(0).x, 90);
  EXPECT_EQ(Position(0).y, 90);
  EXPECT_EQ(Position(12).x, 81);
  EXPECT_EQ(Position(12).y, 183);
  EXPECT_EQ(Position(1, 150, 0).y, 8 * 13 + 28);  // C sharp sits with C: 5a - b at 150 %
  for (LONG index : {-1, 13, 1000}) {
    EXPECT_EQ(Position(index).x, 0) << index;
    EXPECT_EQ(Position(index).y, 0) << index;
  }
  POINT p;
  EXPECT_EQ(melody->GetNotePosition(0, 100, 0, nullptr), E_POINTER);
  EXPECT_EQ(melody->GetNotePosition(0, 0, 0, &p), E_INVALIDARG);

  struct Case {
    LONG scale, width, height;
  } sizes[] = {{100, 21, 31}, {150, 31, 46}, {30, 6, 9}, {200, 42, 62}};
  for (const Case& c : sizes) {
    LONG w = 0, h = 0;
    ASSERT_EQ(melody->GetNoteSize(c.scale, 12345, &w, &h), S_OK);
    EXPECT_EQ(w, c.width);
    EXPECT_EQ(h, c.height);
  }
  LONG w = 0;
  EXPECT_EQ(melody->GetNoteSize(100, 0, &w, nullptr), E_POINTER);
}

TEST_F(MelodyDrawing, SelectAtMakesTheHitNoteCurrentOrNone) {
  Add({{30, 0}, {0, 0}, {11, FLAG_REST}, {11, 0}});
  const POINT high = Position(0), low = Position(1), rest = Position(2);
  struct Case {
    const char* what;
    LONG x, y, expected;
  } cases[] = {
      {"high note's corner", high.x, high.y, 0},
      {"low note's far corner", low.x + 20, low.y + 30, 1},
      {"rest", rest.x + 3, rest.y + 3, 2},
      {"right edge", low.x + 21, low.y + 10, -1},
      {"bottom edge", low.x + 10, low.y + 31, -1},
      {"clef cell", 40, 16 + 90, -1},
      {"right of the twelfth column", 24 + 13 * 45 + 5, 16 + 80, -1},
      {"cell of a missing note", Position(3).x + 45, Position(3).y, -1},
      {"above the staff", high.x, -500, -1},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(melody->SetCurrent(3), S_OK);
    ASSERT_EQ(melody->SelectAt(c.x, c.y, 100, 16), S_OK) << c.what;
    EXPECT_EQ(Current(), c.expected) << c.what;
    // Exactly the current note paints from the selected list.
    surface.primitives.clear();
    ASSERT_EQ(melody->Draw(&surface, &staff, &notes, &selected, kColours, &kAll, nullptr, 100), S_OK);
    const std::vector<LONG> marked = GlyphsFrom(&selected);
    if (c.expected < 0) {
      EXPECT_TRUE(marked.empty()) << c.what;
    } else {
      // The note's glyph at its anchor, perhaps with its sharp to the left.
      const LONG x = Position(c.expected).x;
      EXPECT_EQ(std::count(marked.begin(), marked.end(), x), 1) << c.what;
      for (LONG m : marked) EXPECT_TRUE(m <= x && m > x - 21) << c.what;
    }
  }
}

TEST_F(MelodyDrawing, SelectAtIsRefusedWhilePlayingAndIdleOnAnEmptyMelody) {
  EXPECT_EQ(melody->SelectAt(90, 90, 100, 16), S_OK);
  EXPECT_EQ(Current(), -1);
  Add({{11, 0}, {11, 0}});
  static_cast<CMelody*>(melody)->SetBusyForTesting(1);
  EXPECT_EQ(melody->SelectAt(90, 90, 100, 16), E_FAIL);
  EXPECT_EQ(Current(), 1);
  static_cast<CMelody*>(melody)->SetBusyForTesting(0);
  EXPECT_EQ(melody->SelectAt(90, 90, 100, 16), S_OK);
  EXPECT_EQ(Current(), 0);
}

TEST_F(MelodyDrawing, DrawsTheNameAndEveryNote) {
  Add({{11, 0}, {13, FLAG_DOT}, {11, FLAG_REST}});
  BSTR name = SysAllocString(u"Гамма");
  ASSERT_EQ(melody->SetName(name), S_OK);
  SysFreeString(name);
  ASSERT_EQ(melody->Draw(&surface, &staff, &notes, &selected, kColours, &kAll, nullptr, 100), S_OK);
  const auto text = surface.Only(Primitive::kText);
  ASSERT_EQ(text.size(), 1u);
  EXPECT_EQ(text[0].text, u"Гамма");
  EXPECT_EQ(GlyphsFrom(&notes).size(), 3u);     // two notes and the dot
  EXPECT_EQ(GlyphsFrom(&selected).size(), 1u);  // the current rest
  EXPECT_EQ(GlyphsFrom(&staff).size(), 2u);
}

TEST_F(MelodyDrawing, PaintsWhilePlaybackMovesTheCurrentNote) {
  for (int i = 0; i < 40; ++i) Add({{static_cast<SHORT>(i % 32), 0}});
  std::atomic<bool> done{false};
  std::thread player([&] {
    for (LONG i = 0; !done.load(); i = (i + 1) % 40) melody->SetCurrent(i);
  });
  for (int round = 0; round < 200; ++round) {
    surface.primitives.clear();
    ASSERT_EQ(melody->Draw(&surface, &staff, &notes, &selected, kColours, &kAll, nullptr, 100), S_OK);
    // The melody's lock makes each painting see one current note at most.
    EXPECT_LE(GlyphsFrom(&selected).size(), 2u);  // its glyph and perhaps its sharp
  }
  done = true;
  player.join();
}

}  // namespace
}  // namespace nv
