// Staff geometry, painting and hit testing of melodies, recorded through a
// drawing surface that lists every primitive.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "CComObject.h"
#include "CMelody.h"
#include "RecordingSurface.h"
#include "StaffLayout.h"
#include "StaffRenderer.h"

namespace nv {
namespace {

using test::Primitive;

constexpr COLORREF kLineColour = RGB(0, 0, 1);
constexpr COLORREF kColours[] = {RGB(255, 0, 0), kLineColour, 0, 0, 0};
constexpr RECT kAll{0, 0, 100000, 100000};
constexpr LONG kTop = test::RecordingSurface::kHeight;  // the title's height is the staff's origin

TEST(StaffLayoutTest, MetricsAndPitchOffsets) {
  struct Metric {
    LONG scale, k, expected;
  } metrics[] = {{100, 9, 9}, {100, 69, 69}, {150, 9, 13}, {150, 45, 67}, {150, 21, 31},
                 {30, 21, 6}, {30, 31, 9},   {83, 45, 37}, {1, 45, 0},    {10000, 69, 6900}};
  for (const Metric& m : metrics) EXPECT_EQ(StaffLayout::Scaled(m.scale, m.k), m.expected) << m.scale << " " << m.k;

  // d(p) at scales 100 (h 4, a 9, b 25) and 150 (h 6, a 13, b 37).
  struct Row {
    std::vector<LONG> pitches;
    LONG at100, at150;
  } rows[] = {
      {{0}, 33, 47},        {{1, 2}, 29, 41}, {{3}, 24, 34},        {{4, 5}, 20, 28},     {{6, 7}, 15, 21},
      {{8}, 11, 15},        {{9, 10}, 6, 8},  {{11, 12}, 2, 2},     {{13, 14}, -3, -5},   {{15}, 14, 20},
      {{16, 17}, 9, 13},    {{18, 19}, 5, 7}, {{20}, 0, 0},         {{21, 22}, -4, -6},   {{23, 24}, -9, -13},
      {{25, 26}, -13, -19}, {{27}, -18, -26}, {{28, 29}, -22, -32}, {{30, 31}, -27, -39}, {{32, 255, -1}, 0, 0},
  };
  for (const Row& r : rows) {
    for (LONG p : r.pitches) {
      EXPECT_EQ(StaffLayout(100).PitchOffset(p), r.at100) << p;
      EXPECT_EQ(StaffLayout(150).PitchOffset(p), r.at150) << p;
    }
  }
}

class StaffDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CComObject<CMelody>::CreateInstance(IID_IMelody, reinterpret_cast<void**>(&melody)), S_OK);
    test::FillBlank(staff, 2);
    test::FillBlank(notes, 17);
    test::FillBlank(selected, 17);
  }
  void TearDown() override { melody->Release(); }

  // Appends count quarter notes (or rests) of pitch; the last one becomes current.
  void Add(SHORT pitch, SHORT flags = 0, int count = 1) {
    for (int i = 0; i < count; ++i) ASSERT_EQ(melody->InsertNoteValues(pitch, DURATION_QUARTER, flags), S_OK);
  }
  HRESULT Paint(const RECT& clip = kAll) {
    surface.primitives.clear();
    return melody->Draw(&surface, &staff, &notes, &selected, kColours, &clip, nullptr, 100);
  }
  POINT Position(LONG index, LONG scale = 100, LONG top = kTop) {
    POINT p{-1, -1};
    EXPECT_EQ(melody->GetNotePosition(index, scale, top, &p), S_OK);
    return p;
  }
  LONG Current() {
    LONG current = -2;
    EXPECT_EQ(melody->GetCurrent(&current), S_OK);
    return current;
  }

  IMelody* melody = nullptr;
  test::RecordingSurface surface;
  ImageList staff{35, 69}, notes{21, 31}, selected{21, 31};
};

TEST_F(StaffDrawing, PositionsAndNoteSize) {
  Add(11);
  Add(5);
  Add(11, FLAG_REST, 11);
  EXPECT_EQ(Position(0, 100, 16).x * 1000 + Position(0, 100, 16).y, 90090);
  EXPECT_EQ(Position(12, 100, 16).x * 1000 + Position(12, 100, 16).y, 81183);
  EXPECT_EQ(Position(1, 150, 0).y, 8 * 13 + 28);  // C sharp takes C's place
  for (LONG index : {-1, 13}) EXPECT_EQ(Position(index).x + Position(index).y, 0) << index;
  POINT p;
  EXPECT_EQ(melody->GetNotePosition(0, 0, 0, &p), E_INVALIDARG);
  EXPECT_EQ(melody->Draw(&surface, nullptr, nullptr, nullptr, nullptr, &kAll, nullptr, 100), E_POINTER);
  LONG w = 0, h = 0;
  ASSERT_EQ(melody->GetNoteSize(150, 12345, &w, &h), S_OK);
  EXPECT_EQ(w * 1000 + h, 31046);
}

TEST_F(StaffDrawing, EmptyMelodyHasTitleOneStaffClefAndEndMarkAfterTheClef) {
  BSTR name = SysAllocString(u"Гамма");
  ASSERT_EQ(melody->SetName(name), S_OK);
  SysFreeString(name);
  ASSERT_EQ(Paint(), S_OK);
  const auto text = surface.Only(Primitive::kText);
  ASSERT_EQ(text.size(), 1u);
  EXPECT_EQ(text[0].text, u"Гамма");
  EXPECT_EQ(text[0].x0, 24);
  EXPECT_EQ(text[0].y0, 27);
  EXPECT_EQ(text[0].colour, kColours[0]);
  EXPECT_EQ(text[0].bkMode, TRANSPARENT);

  const LONG t = kTop + 72;
  const auto lines = surface.Only(Primitive::kLine);
  ASSERT_EQ(lines.size(), 7u);
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ((std::vector<LONG>{lines[k].x0, lines[k].y0, lines[k].x1, lines[k].y1}),
              (std::vector<LONG>{24, t + 9 * k, 654, t + 9 * k}));
    EXPECT_EQ(lines[k].colour, kLineColour);
  }
  EXPECT_EQ((std::vector<LONG>{lines[5].x0, lines[5].y0, lines[5].x1, lines[5].y1}),
            (std::vector<LONG>{24, t, 24, t + 37}));
  EXPECT_EQ(lines[6].x0, 654);

  const auto glyphs = surface.Only(Primitive::kImage, &staff);
  ASSERT_EQ(glyphs.size(), 2u);
  EXPECT_EQ((std::vector<LONG>{glyphs[0].index, glyphs[0].x0, glyphs[0].y0}), (std::vector<LONG>{0, 29, t - 15}));
  EXPECT_EQ((std::vector<LONG>{glyphs[1].index, glyphs[1].x0, glyphs[1].y0}), (std::vector<LONG>{1, 74, t - 15}));
  EXPECT_TRUE(surface.StateRestored());
}

TEST_F(StaffDrawing, RowsAndEndMarkFollowTheCount) {
  struct Case {
    int count;
    LONG rows, endColumn, endRow;
  } cases[] = {{1, 1, 1, 0}, {11, 1, 11, 0}, {12, 1, 12, 0}, {13, 2, 1, 1}, {24, 2, 12, 1}, {25, 3, 1, 2}};
  int added = 0;
  for (const Case& c : cases) {
    Add(11, 0, c.count - added);
    added = c.count;
    ASSERT_EQ(Paint(), S_OK);
    const auto glyphs = surface.Only(Primitive::kImage, &staff);
    ASSERT_EQ(glyphs.size(), size_t(c.rows + 1)) << c.count;
    EXPECT_EQ(surface.Only(Primitive::kLine).size(), size_t(7 * c.rows)) << c.count;
    EXPECT_EQ(glyphs.back().x0, 29 + 45 + 45 * c.endColumn) << c.count;
    EXPECT_EQ(glyphs.back().y0, kTop + 90 * c.endRow + 72 - 15) << c.count;
    EXPECT_EQ(surface.Only(Primitive::kImage, &notes).size() + 1, size_t(c.count)) << c.count;
  }
}

TEST_F(StaffDrawing, ClipShiftsTheOriginAndLeavesOutWhatItMisses) {
  Add(11, 0, 24);
  const LONG row1 = kTop + 90 + 72;
  // Around row 1's staff only, starting right of the clef.
  const RECT clip{100, row1 - 20, 700, row1 + 60};
  ASSERT_EQ(Paint(clip), S_OK);
  EXPECT_TRUE(surface.Only(Primitive::kText).empty());
  const auto lines = surface.Only(Primitive::kLine);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0].x0, 24 - 100);
  EXPECT_EQ(lines[0].y0, 20);
  const auto glyphs = surface.Only(Primitive::kImage, &staff);
  ASSERT_EQ(glyphs.size(), 1u);  // the end mark
  EXPECT_EQ(glyphs[0].x0, 614 - 100);
  // Row 1's notes paint at their anchors less the clip's corner; row 0's not at all.
  const auto glyphsOfNotes = surface.Only(Primitive::kImage, &notes);
  ASSERT_EQ(glyphsOfNotes.size(), 11u);  // note 23, the current one, paints from the other list
  for (LONG i = 12; i < 23; ++i) {
    EXPECT_EQ(glyphsOfNotes[i - 12].x0, Position(i).x - clip.left);
    EXPECT_EQ(glyphsOfNotes[i - 12].y0, Position(i).y - clip.top);
  }
}

TEST_F(StaffDrawing, NoteSymbolsDrawLedgersSharpsGlyphsAndDots) {
  struct Glyph {
    int index;
    LONG dx, dy;
  };
  struct Case {
    const char* what;
    StaffRenderer::Symbol symbol;
    std::vector<LONG> ledgers;  // y offsets from the anchor
    std::vector<Glyph> glyphs;  // in drawing order
  } cases[] = {
      {"G4 eighth", {11, 3, 0, 0}, {}, {{3, 0, 0}}},
      {"G#3 whole", {0, 0, 0, 0}, {12, 21}, {{10, -17, 12}, {0, 0, 0}}},
      {"B3", {3, 3, 0, 0}, {21}, {{3, 0, 0}}},
      {"C#4 dotted", {5, 3, FLAG_DOT, 0}, {25}, {{10, -17, 12}, {3, 0, 0}, {16, 4, 12}}},
      {"C#5 dotted half", {17, 1, FLAG_DOT, 0}, {}, {{10, -17, -9}, {6, 0, 0}, {16, 4, -9}}},
      {"A#5", {26, 3, 0, 0}, {4}, {{10, -17, -9}, {8, 0, 0}}},
      {"B5", {27, 4, 0, 0}, {9}, {{9, 0, 0}}},
      {"C6", {28, 0, 0, 0}, {4, 13}, {{5, 0, 0}}},
      {"dotted whole rest at G#3", {0, 0, FLAG_REST | FLAG_DOT, 0}, {}, {{11, 0, 0}, {16, 13, 0}}},
      {"unknown duration", {11, 7, FLAG_DOT, 0}, {}, {{16, 4, 12}}},
      {"pitch beyond the range", {200, 2, 0, 0}, {}, {{7, 0, 0}}},
      {"selected", {11, 2, 0, 1}, {}, {{2, 0, 0}}},
      {"selection value of neither list", {0, 2, 0, 2}, {12, 21}, {}},
  };
  const POINT anchor{500, 300};
  for (const Case& c : cases) {
    surface.primitives.clear();
    ASSERT_EQ(StaffRenderer::DrawNote(&surface, &notes, &selected, kColours, &anchor, 100, c.symbol), S_OK);
    const auto lines = surface.Only(Primitive::kLine);
    ASSERT_EQ(lines.size(), c.ledgers.size()) << c.what;
    for (size_t k = 0; k < lines.size(); ++k) {
      EXPECT_EQ((std::vector<LONG>{lines[k].x0, lines[k].y0, lines[k].x1, lines[k].y1, lines[k].penWidth}),
                (std::vector<LONG>{496, 300 + c.ledgers[k], 515, 300 + c.ledgers[k], 0}))
          << c.what;
    }
    const auto images = surface.Only(Primitive::kImage);
    ASSERT_EQ(images.size(), c.glyphs.size()) << c.what;
    for (size_t k = 0; k < images.size(); ++k) {
      EXPECT_EQ((std::vector<LONG>{images[k].index, images[k].x0, images[k].y0}),
                (std::vector<LONG>{c.glyphs[k].index, 500 + c.glyphs[k].dx, 300 + c.glyphs[k].dy}))
          << c.what;
      EXPECT_EQ(images[k].list, c.symbol.selected == 1 ? &selected : &notes) << c.what;
      EXPECT_EQ(images[k].style, ILD_TRANSPARENT) << c.what;
    }
  }
  EXPECT_TRUE(surface.StateRestored());
}

TEST_F(StaffDrawing, SelectAtMakesTheHitNoteCurrentOrNone) {
  EXPECT_EQ(melody->SelectAt(90, 90, 100, 16), S_OK);  // an empty melody: nothing to do
  Add(30);
  Add(0);
  Add(11, FLAG_REST);
  Add(11);
  const POINT high = Position(0), low = Position(1), rest = Position(2);
  struct Case {
    const char* what;
    LONG x, y, expected;
  } cases[] = {
      {"high note's corner", high.x, high.y, 0},
      {"low note's far corner, in the next row's band", low.x + 20, low.y + 30, 1},
      {"rest", rest.x + 3, rest.y + 3, 2},
      {"right edge", low.x + 21, low.y + 10, -1},
      {"bottom edge", low.x + 10, low.y + 31, -1},
      {"clef cell", 40, kTop + 90, -1},
      {"right of the twelfth column", 24 + 13 * 45 + 5, kTop + 80, -1},
      {"cell of a missing note", Position(3).x + 45, Position(3).y, -1},
      {"above the staff", high.x, -500, -1},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(melody->SetCurrent(3), S_OK);
    ASSERT_EQ(melody->SelectAt(c.x, c.y, 100, kTop), S_OK) << c.what;
    EXPECT_EQ(Current(), c.expected) << c.what;
    // Exactly the current note paints from the selected list (with its sharp, if any).
    ASSERT_EQ(Paint(), S_OK);
    std::vector<LONG> marked;
    for (const Primitive& p : surface.Only(Primitive::kImage, &selected)) marked.push_back(p.x0);
    if (c.expected < 0) {
      EXPECT_TRUE(marked.empty()) << c.what;
    } else {
      EXPECT_EQ(std::count(marked.begin(), marked.end(), Position(c.expected).x), 1) << c.what;
    }
  }
  static_cast<CMelody*>(melody)->SetBusyForTesting(1);  // playing
  EXPECT_EQ(melody->SelectAt(high.x, high.y, 100, kTop), E_FAIL);
  EXPECT_EQ(Current(), -1);
}

TEST_F(StaffDrawing, PaintsWhilePlaybackMovesTheCurrentNote) {
  for (SHORT i = 0; i < 40; ++i) Add(i % 32);
  std::atomic<bool> done{false};
  std::thread player([&] {
    for (LONG i = 0; !done.load(); i = (i + 1) % 40) melody->SetCurrent(i);
  });
  for (int round = 0; round < 200; ++round) {
    ASSERT_EQ(Paint(), S_OK);
    // Under the melody's lock a painting sees one current note: its glyph and perhaps its sharp.
    EXPECT_LE(surface.Only(Primitive::kImage, &selected).size(), 2u);
  }
  done = true;
  player.join();
}

}  // namespace
}  // namespace nv
