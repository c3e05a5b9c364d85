// Staff geometry, painting and hit testing, checked through a recording surface.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "RecordingSurface.h"
#include "StaffLayout.h"
#include "StaffRenderer.h"

namespace nv {
namespace {

using test::Primitive;
using test::RecordingFont;
using test::RecordingSurface;

// A note symbol that paints itself as the component's notes do, without the component runtime.
class FakeNote : public INote1 {
 public:
  FakeNote(LONG pitch, LONG duration, LONG flags, LONG selected = 0) : symbol_{pitch, duration, flags, selected} {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetPitch(SHORT* out) override { return Get(out, symbol_.pitch); }
  HRESULT STDMETHODCALLTYPE SetPitch(SHORT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDuration(SHORT* out) override { return Get(out, symbol_.duration); }
  HRESULT STDMETHODCALLTYPE SetDuration(SHORT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetFlags(SHORT* out) override { return Get(out, symbol_.flags); }
  HRESULT STDMETHODCALLTYPE SetFlags(SHORT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Lengthen() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Shorten() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE PitchUp() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE PitchDown() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Select() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Deselect() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Draw(HDC dc, HIMAGELIST notes, HIMAGELIST selected, const COLORREF* colours,
                                 const POINT* anchor, LONG scale) override {
    anchors.push_back(*anchor);
    return StaffRenderer::DrawNote(dc, notes, selected, colours, anchor, scale, symbol_);
  }
  HRESULT STDMETHODCALLTYPE PrepareSound(ISample1*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Play(HANDLE, HANDLE, ISample1*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Stop() override { return E_NOTIMPL; }

  std::vector<POINT> anchors;  // where Draw was asked to paint, in surface coordinates

 private:
  static HRESULT Get(SHORT* out, LONG v) {
    *out = static_cast<SHORT>(v);
    return S_OK;
  }
  StaffRenderer::Symbol symbol_;
};

constexpr COLORREF kTitleColour = RGB(255, 0, 0);
constexpr COLORREF kLineColour = RGB(0, 0, 1);
constexpr COLORREF kColours[] = {kTitleColour, kLineColour, 0, 0, 0};
constexpr LONG kFontHeight = 16;  // the vertical origin of the staff: the title's height
constexpr RECT kEverything{0, 0, 100000, 100000};

struct Melody {
  std::vector<std::unique_ptr<FakeNote>> notes;
  StaffLayout::NoteAt noteAt() const {
    return [this](LONG i) -> INote1* { return notes[static_cast<size_t>(i)].get(); };
  }
  LONG count() const { return static_cast<LONG>(notes.size()); }
};

Melody MakeMelody(const std::vector<StaffRenderer::Symbol>& symbols) {
  Melody m;
  for (const auto& s : symbols) m.notes.push_back(std::make_unique<FakeNote>(s.pitch, s.duration, s.flags, s.selected));
  return m;
}

Melody Eighths(int count) {
  return MakeMelody(std::vector<StaffRenderer::Symbol>(static_cast<size_t>(count)));
}

class StaffPainting : public ::testing::Test {
 protected:
  StaffPainting() : staff(35, 69), notes(21, 31), selected(21, 31), font(8, kFontHeight) {
    test::FillBlank(staff, 2);
    test::FillBlank(notes, 17);
    test::FillBlank(selected, 17);
  }

  HRESULT Paint(const Melody& m, const RECT& clip = kEverything, LONG scale = 100) {
    static const WCHAR name[] = u"Мелодия";
    return StaffRenderer::DrawMelody(&surface, {&staff, &notes, &selected}, kColours, &clip, &font, scale, name, 7,
                                     m.count(), m.noteAt());
  }

  // Images of one list, with their origins shifted back by the clip corner when given.
  std::vector<Primitive> Images(HIMAGELIST list) const {
    std::vector<Primitive> out;
    for (const Primitive& p : surface.Only(Primitive::kImage)) {
      if (p.list == list) out.push_back(p);
    }
    return out;
  }

  RecordingSurface surface;
  ImageList staff;
  ImageList notes;
  ImageList selected;
  RecordingFont font;
};

TEST(StaffLayoutTest, MetricsRoundHalfDownAtEveryScale) {
  struct Case {
    LONG scale, k, expected;
  } cases[] = {
      {100, 9, 9},   {100, 45, 45}, {100, 21, 21}, {100, 69, 69}, {150, 9, 13},      {150, 45, 67},
      {150, 21, 31}, {150, 4, 6},   {150, 25, 37}, {30, 21, 6},   {30, 31, 9},       {200, 9, 18},
      {120, 9, 11},  {83, 45, 37},  {1, 45, 0},    {2, 45, 1},    {10000, 69, 6900},
  };
  for (const Case& c : cases) EXPECT_EQ(StaffLayout::Scaled(c.scale, c.k), c.expected) << c.scale << "% of " << c.k;
}

TEST(StaffLayoutTest, AnchorsOfNotesAndRests) {
  const StaffLayout at100(100);
  EXPECT_EQ(at100.Anchor(0, 11, 0, 16).x, 90);
  EXPECT_EQ(at100.Anchor(0, 11, 0, 16).y, 90);
  EXPECT_EQ(at100.Anchor(12, 11, FLAG_REST, 16).x, 81);
  EXPECT_EQ(at100.Anchor(12, 11, FLAG_REST, 16).y, 183);
  // A rest's pitch does not move it; the dot flag moves nothing.
  EXPECT_EQ(at100.Anchor(12, 0, FLAG_REST | FLAG_DOT, 16).y, 183);
  EXPECT_EQ(at100.Anchor(13, 11, FLAG_DOT, 16).x, 24 + 45 + 45 + 21);
  const StaffLayout at150(150);
  EXPECT_EQ(at150.Anchor(1, 20, 0, 0).x, 67 + 67 + 36 + 31);
  EXPECT_EQ(at150.Anchor(1, 20, 0, 0).y, 8 * 13);
}

TEST(StaffLayoutTest, PitchOffsetsAtTwoScales) {
  struct Row {
    std::vector<LONG> pitches;
    LONG at100, at150;
  } rows[] = {
      {{0}, 33, 47},        {{1, 2}, 29, 41}, {{3}, 24, 34},        {{4, 5}, 20, 28},     {{6, 7}, 15, 21},
      {{8}, 11, 15},        {{9, 10}, 6, 8},  {{11, 12}, 2, 2},     {{13, 14}, -3, -5},   {{15}, 14, 20},
      {{16, 17}, 9, 13},    {{18, 19}, 5, 7}, {{20}, 0, 0},         {{21, 22}, -4, -6},   {{23, 24}, -9, -13},
      {{25, 26}, -13, -19}, {{27}, -18, -26}, {{28, 29}, -22, -32}, {{30, 31}, -27, -39}, {{32, 99, 255, -1}, 0, 0},
  };
  const StaffLayout at100(100), at150(150);
  for (const Row& r : rows) {
    for (LONG p : r.pitches) {
      EXPECT_EQ(at100.PitchOffset(p), r.at100) << "pitch " << p;
      EXPECT_EQ(at150.PitchOffset(p), r.at150) << "pitch " << p;
    }
  }
}

TEST(StaffLayoutTest, HitTestTakesTheGridCellThenTheNotesOwnCell) {
  // Row 0: a high note (stem down), a low note, a rest; note 12 opens row 1.
  std::vector<StaffRenderer::Symbol> symbols(13);
  symbols[0].pitch = 30;
  symbols[1].pitch = 0;
  symbols[2].flags = FLAG_REST;
  const Melody m = MakeMelody(symbols);
  const StaffLayout layout(100);
  const LONG top = 16;
  const POINT high = layout.Anchor(0, 30, 0, top), low = layout.Anchor(1, 0, 0, top);
  const POINT rest = layout.Anchor(2, 11, FLAG_REST, top), next = layout.Anchor(12, 11, 0, top);
  struct Case {
    LONG x, y, expected;
  } cases[] = {
      {high.x, high.y, 0},
      {high.x + 20, high.y + 30, 0},
      {high.x + 21, high.y, -1},  // right edge excluded
      {high.x, high.y + 31, -1},  // bottom edge excluded
      {high.x - 1, high.y, -1},
      {low.x + 10, low.y + 15, 1},
      {rest.x + 5, rest.y + 5, 2},
      {next.x + 1, next.y + 1, 12},
      {24 + 20, top + 72, -1},            // the clef cell
      {24 + 13 * 45 + 10, top + 80, -1},  // right of the twelfth column
      {layout.Anchor(3, 11, 0, top).x, layout.Anchor(3, 11, 0, top).y, 3},
      {layout.Anchor(13, 11, 0, top).x, layout.Anchor(13, 11, 0, top).y, -1},  // past the last symbol
      {high.x, top - 100, -1},                                                 // above the first row
  };
  for (const Case& c : cases) {
    EXPECT_EQ(layout.HitTest(c.x, c.y, top, m.count(), m.noteAt()), c.expected) << c.x << "," << c.y;
  }
  EXPECT_EQ(StaffLayout(1).HitTest(50, 50, 0, m.count(), m.noteAt()), -1);  // degenerate cells divide by nothing
}

TEST_F(StaffPainting, EmptyMelodyHasTitleOneStaffClefAndEndMarkAfterTheClef) {
  ASSERT_EQ(Paint(Melody{}), S_OK);
  const auto text = surface.Only(Primitive::kText);
  ASSERT_EQ(text.size(), 1u);
  EXPECT_EQ(text[0].x0, 24);
  EXPECT_EQ(text[0].y0, 27);
  EXPECT_EQ(text[0].text, u"Мелодия");
  EXPECT_EQ(text[0].colour, kTitleColour);
  EXPECT_EQ(text[0].bkMode, TRANSPARENT);
  EXPECT_EQ(text[0].font, &font);

  const LONG t = kFontHeight + 72;
  const auto lines = surface.Only(Primitive::kLine);
  ASSERT_EQ(lines.size(), 7u);
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(lines[k].x0, 24);
    EXPECT_EQ(lines[k].x1, 24 + 14 * 45);
    EXPECT_EQ(lines[k].y0, t + 9 * k);
    EXPECT_EQ(lines[k].y1, t + 9 * k);
    EXPECT_EQ(lines[k].colour, kLineColour);
    EXPECT_EQ(lines[k].penWidth, 1);
  }
  for (int k = 5; k < 7; ++k) {
    EXPECT_EQ(lines[k].x0, lines[k].x1);
    EXPECT_EQ(lines[k].y0, t);
    EXPECT_EQ(lines[k].y1, t + 37);
  }
  EXPECT_EQ(lines[5].x0, 24);
  EXPECT_EQ(lines[6].x0, 654);

  const auto glyphs = Images(&staff);
  ASSERT_EQ(glyphs.size(), 2u);
  EXPECT_EQ(glyphs[0].index, 0);
  EXPECT_EQ(glyphs[0].x0, 29);
  EXPECT_EQ(glyphs[0].y0, t - 15);
  EXPECT_EQ(glyphs[1].index, 1);
  EXPECT_EQ(glyphs[1].x0, 74);
  EXPECT_EQ(glyphs[1].y0, t - 15);
  EXPECT_EQ(glyphs[1].style, ILD_NORMAL);

  // Everything the title needed is put back.
  EXPECT_EQ(surface.font(), nullptr);
  EXPECT_EQ(surface.bkMode(), OPAQUE);
  EXPECT_EQ(surface.textColour(), 0u);
  EXPECT_EQ(surface.pen(), (DrawPen{PS_SOLID, 1, 0}));
}

TEST_F(StaffPainting, RowsAndEndMarkFollowTheCount) {
  struct Case {
    int count;
    size_t clefs;
    LONG endX, endRow;
  } cases[] = {
      {1, 1, 29 + 45 + 45, 0},       {11, 1, 29 + 45 + 11 * 45, 0},
      {12, 1, 29 + 45 + 12 * 45, 0},  // the thirteenth cell of a full row
      {13, 2, 29 + 45 + 45, 1},      {24, 2, 29 + 45 + 12 * 45, 1},
      {25, 3, 29 + 45 + 45, 2},
  };
  for (const Case& c : cases) {
    surface.primitives.clear();
    const Melody m = Eighths(c.count);
    ASSERT_EQ(Paint(m), S_OK);
    const auto glyphs = Images(&staff);
    ASSERT_EQ(glyphs.size(), c.clefs + 1) << c.count;
    EXPECT_EQ(surface.Only(Primitive::kLine).size(), 7 * c.clefs) << c.count;
    for (size_t r = 0; r < c.clefs; ++r) EXPECT_EQ(glyphs[r].y0, kFontHeight + LONG(r) * 90 + 72 - 15);
    EXPECT_EQ(glyphs.back().index, 1);
    EXPECT_EQ(glyphs.back().x0, c.endX) << c.count;
    EXPECT_EQ(glyphs.back().y0, kFontHeight + c.endRow * 90 + 72 - 15) << c.count;
    EXPECT_EQ(Images(&notes).size(), size_t(c.count));
  }
}

TEST_F(StaffPainting, ClipShiftsTheOriginAndLeavesOutWhatItMisses) {
  const Melody m = Eighths(24);
  const StaffLayout layout(100);
  const LONG row1 = layout.TopLine(kFontHeight, 1);
  // A clip around row 1's staff only, starting inside the first note column.
  const RECT clip{100, row1 - 20, 700, row1 + 60};
  ASSERT_EQ(Paint(m, clip), S_OK);
  EXPECT_TRUE(surface.Only(Primitive::kText).empty());
  const auto lines = surface.Only(Primitive::kLine);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0].x0, 24 - 100);
  EXPECT_EQ(lines[0].y0, 20);
  const auto glyphs = Images(&staff);
  ASSERT_EQ(glyphs.size(), 1u);  // the end mark; the clef lies left of the clip
  EXPECT_EQ(glyphs[0].index, 1);
  EXPECT_EQ(glyphs[0].x0, 614 - clip.left);
  EXPECT_EQ(glyphs[0].y0, row1 - 15 - clip.top);
  // The notes of row 1 paint at their layout anchors minus the clip corner;
  // the notes of row 0 are asked for nothing.
  for (LONG i = 0; i < 12; ++i) EXPECT_TRUE(m.notes[size_t(i)]->anchors.empty()) << i;
  for (LONG i = 12; i < 24; ++i) {
    ASSERT_EQ(m.notes[size_t(i)]->anchors.size(), 1u) << i;
    const POINT a = layout.Anchor(i, 11, 0, kFontHeight);
    EXPECT_EQ(m.notes[size_t(i)]->anchors[0].x, a.x - clip.left);
    EXPECT_EQ(m.notes[size_t(i)]->anchors[0].y, a.y - clip.top);
  }
}

TEST_F(StaffPainting, ClipOfOneNoteCellPaintsOnlyTheNotesReachingIt) {
  const Melody m = Eighths(30);
  const StaffLayout layout(100);
  const POINT a = layout.Anchor(17, 11, 0, kFontHeight);
  const RECT clip{a.x - 21, a.y - 31, a.x + 42, a.y + 62};
  ASSERT_EQ(Paint(m, clip), S_OK);
  // A note's paint area reaches half a column left, one column right and one
  // row up and down, so the note's neighbours in columns 4 to 6 of rows 0 to 2 paint too.
  for (size_t i = 0; i < m.notes.size(); ++i) {
    const bool neighbour = i % 12 >= 4 && i % 12 <= 6;
    EXPECT_EQ(m.notes[i]->anchors.size(), neighbour ? 1u : 0u) << i;
  }
  EXPECT_EQ(surface.Only(Primitive::kLine).size(), 7u);
  EXPECT_TRUE(Images(&staff).empty());
}

TEST_F(StaffPainting, RefusesBadArguments) {
  const Melody m = Eighths(3);
  const RECT clip = kEverything;
  EXPECT_EQ(StaffRenderer::DrawMelody(nullptr, {}, kColours, &clip, nullptr, 100, u"", 0, 3, m.noteAt()), E_POINTER);
  EXPECT_EQ(StaffRenderer::DrawMelody(&surface, {}, nullptr, &clip, nullptr, 100, u"", 0, 3, m.noteAt()), E_POINTER);
  EXPECT_EQ(StaffRenderer::DrawMelody(&surface, {}, kColours, nullptr, nullptr, 100, u"", 0, 3, m.noteAt()), E_POINTER);
  for (LONG scale : {0, -100, 10001}) {
    EXPECT_EQ(StaffRenderer::DrawMelody(&surface, {}, kColours, &clip, nullptr, scale, u"", 0, 3, m.noteAt()),
              E_INVALIDARG);
  }
  EXPECT_TRUE(surface.primitives.empty());
  // Missing image lists leave the glyphs out and nothing else.
  EXPECT_EQ(StaffRenderer::DrawMelody(&surface, {}, kColours, &clip, nullptr, 100, nullptr, 0, 3, m.noteAt()), S_OK);
  EXPECT_TRUE(surface.Only(Primitive::kImage).empty());
  EXPECT_EQ(surface.Only(Primitive::kLine).size(), 7u);
}

// What one note symbol draws at anchor (500, 300), scale 100.
struct Glyph {
  int index;
  LONG dx, dy;
};
struct NoteCase {
  const char* what;
  StaffRenderer::Symbol symbol;
  std::vector<LONG> ledgers;  // y offsets from the anchor
  std::vector<Glyph> glyphs;  // in drawing order
};

TEST_F(StaffPainting, NoteSymbolsDrawLedgersSharpsGlyphsAndDots) {
  const NoteCase cases[] = {
      {"G4 eighth", {11, 3, 0, 0}, {}, {{3, 0, 0}}},
      {"G#3 whole", {0, 0, 0, 0}, {12, 21}, {{10, -17, 12}, {0, 0, 0}}},
      {"A3 half", {1, 1, 0, 0}, {16, 25}, {{1, 0, 0}}},
      {"A#3 quarter", {2, 2, 0, 0}, {16, 25}, {{10, -17, 12}, {2, 0, 0}}},
      {"B3", {3, 3, 0, 0}, {21}, {{3, 0, 0}}},
      {"C4", {4, 3, 0, 0}, {25}, {{3, 0, 0}}},
      {"C#4 dotted", {5, 3, FLAG_DOT, 0}, {25}, {{10, -17, 12}, {3, 0, 0}, {16, 4, 12}}},
      {"A#4 sixteenth", {14, 4, 0, 0}, {}, {{10, -17, 12}, {4, 0, 0}}},
      {"B4 stem down", {15, 2, 0, 0}, {}, {{7, 0, 0}}},
      {"C#5 dotted half", {17, 1, FLAG_DOT, 0}, {}, {{10, -17, -9}, {6, 0, 0}, {16, 4, -9}}},
      {"A5", {25, 3, 0, 0}, {4}, {{8, 0, 0}}},
      {"A#5", {26, 3, 0, 0}, {4}, {{10, -17, -9}, {8, 0, 0}}},
      {"B5", {27, 4, 0, 0}, {9}, {{9, 0, 0}}},
      {"C6", {28, 0, 0, 0}, {4, 13}, {{5, 0, 0}}},
      {"C#6", {29, 3, 0, 0}, {4, 13}, {{10, -17, -9}, {8, 0, 0}}},
      {"D6", {30, 3, 0, 0}, {9, 18}, {{8, 0, 0}}},
      {"D#6", {31, 3, 0, 0}, {9, 18}, {{10, -17, -9}, {8, 0, 0}}},
      {"eighth rest on a black key", {12, 3, FLAG_REST, 0}, {}, {{14, 0, 0}}},
      {"dotted whole rest at G#3", {0, 0, FLAG_REST | FLAG_DOT, 0}, {}, {{11, 0, 0}, {16, 13, 0}}},
      {"sixteenth rest", {11, 4, FLAG_REST, 0}, {}, {{15, 0, 0}}},
      {"unknown duration", {11, 7, FLAG_DOT, 0}, {}, {{16, 4, 12}}},
      {"pitch beyond the range", {200, 2, 0, 0}, {}, {{7, 0, 0}}},
      {"selection value of neither list", {0, 2, 0, 2}, {12, 21}, {}},
  };
  const POINT anchor{500, 300};
  for (const NoteCase& c : cases) {
    surface.primitives.clear();
    ASSERT_EQ(StaffRenderer::DrawNote(&surface, &notes, &selected, kColours, &anchor, 100, c.symbol), S_OK);
    const auto lines = surface.Only(Primitive::kLine);
    ASSERT_EQ(lines.size(), c.ledgers.size()) << c.what;
    for (size_t k = 0; k < lines.size(); ++k) {
      EXPECT_EQ(lines[k].y0, 300 + c.ledgers[k]) << c.what;
      EXPECT_EQ(lines[k].y1, lines[k].y0) << c.what;
      EXPECT_EQ(lines[k].x0, 500 - 4) << c.what;
      EXPECT_EQ(lines[k].x1, 500 - 4 + 19) << c.what;
      EXPECT_EQ(lines[k].colour, kLineColour) << c.what;
      EXPECT_EQ(lines[k].penWidth, 0) << c.what;
    }
    const auto images = surface.Only(Primitive::kImage);
    ASSERT_EQ(images.size(), c.glyphs.size()) << c.what;
    for (size_t k = 0; k < images.size(); ++k) {
      EXPECT_EQ(images[k].index, c.glyphs[k].index) << c.what;
      EXPECT_EQ(images[k].x0, 500 + c.glyphs[k].dx) << c.what;
      EXPECT_EQ(images[k].y0, 300 + c.glyphs[k].dy) << c.what;
      EXPECT_EQ(images[k].style, ILD_TRANSPARENT) << c.what;
      EXPECT_EQ(images[k].list, &notes) << c.what;
    }
  }
  EXPECT_EQ(surface.pen(), (DrawPen{PS_SOLID, 1, 0}));
}

TEST_F(StaffPainting, SelectedSymbolUsesTheSelectedList) {
  const POINT anchor{0, 0};
  ASSERT_EQ(StaffRenderer::DrawNote(&surface, &notes, &selected, kColours, &anchor, 100, {12, 2, FLAG_DOT, 1}), S_OK);
  const auto images = surface.Only(Primitive::kImage);
  ASSERT_EQ(images.size(), 3u);
  for (const Primitive& p : images) EXPECT_EQ(p.list, &selected);
}

TEST_F(StaffPainting, LedgerLinesLieOnTheStaffGrid) {
  // Wherever a ledger line is drawn, it continues the staff's line spacing
  // above or below the row, at the scales the editor's zoom reaches exactly.
  for (LONG scale : {100, 150, 200}) {
    const StaffLayout layout(scale);
    const LONG top = 20;
    const LONG staffTop = layout.TopLine(top, 0);
    for (LONG p = 0; p < PITCH_COUNT; ++p) {
      surface.primitives.clear();
      const POINT anchor = layout.Anchor(0, p, 0, top);
      ASSERT_EQ(StaffRenderer::DrawNote(&surface, &notes, &selected, kColours, &anchor, scale, {p, 2, 0, 0}), S_OK);
      for (const Primitive& line : surface.Only(Primitive::kLine)) {
        const LONG steps = (line.y0 - staffTop) / layout.LineStep();
        EXPECT_EQ(line.y0, staffTop + steps * layout.LineStep()) << "pitch " << p << " at " << scale;
        EXPECT_TRUE(steps < 0 || steps > 4) << "pitch " << p << " at " << scale;
      }
    }
  }
}

}  // namespace
}  // namespace nv
