#include "StaffRenderer.h"

#include <limits>

#include "StaffLayout.h"

namespace nv {

namespace {

constexpr int kImageSharp = 10;
constexpr int kImageFirstRest = 11;
constexpr int kImageDot = 16;
constexpr int kImageStemDown = 5;
constexpr int kImageClef = 0;
constexpr int kImageEndMark = 1;
constexpr LONG kHighestStemUp = 14;

// Ledger lines of a note by pitch: count lines R(9) apart, the first at
// y + h * dh + a * da + b * db + R(5) * d5 from the anchor (h = R(4),
// a = R(9), b = R(25)).
struct Ledgers {
  signed char count, dh, da, db, d5;
};
// clang-format off
constexpr Ledgers kLedgers[PITCH_COUNT] = {
    {2, -1, -1, 1, 0}, {2, 0, -1, 1, 0}, {2, 0, -1, 1, 0}, {1, -1, 0, 1, 0}, {1, 0, 0, 1, 0}, {1, 0, 0, 1, 0},
    {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
    {1, 1, 0, 0, 0}, {1, 1, 0, 0, 0}, {1, 1, 0, 0, 1}, {2, 1, 0, 0, 0}, {2, 1, 0, 0, 0}, {2, 1, 0, 0, 1},
    {2, 1, 0, 0, 1}};
// clang-format on

int Saturate(long long v) {
  if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

RECT MakeRect(long long left, long long top, long long right, long long bottom) {
  return RECT{Saturate(left), Saturate(top), Saturate(right), Saturate(bottom)};
}

// Converts layout coordinates to the surface's, whose origin is the clip's corner.
class Origin {
 public:
  explicit Origin(const RECT& clip) : clip_(clip) {}
  bool Meets(const RECT& r) const { return IntersectRect(nullptr, &r, &clip_) != FALSE; }
  int X(long long x) const { return Saturate(x - clip_.left); }
  int Y(long long y) const { return Saturate(y - clip_.top); }

 private:
  RECT clip_;
};

void DrawLine(HDC dc, int x0, int y0, int x1, int y1) {
  dc->MoveToEx(x0, y0, nullptr);
  dc->LineTo(x1, y1);
}

void DrawTitle(HDC dc, const StaffLayout& layout, const Origin& origin, const COLORREF* colours, HFONT font,
               const WCHAR* name, int nameLength, SIZE* extent) {
  const HFONT oldFont = dc->SelectFont(font);
  const UINT oldAlign = dc->SetTextAlign(TA_LEFT | TA_TOP);
  const COLORREF oldColour = dc->SetTextColor(colours[0]);
  const int oldMode = dc->SetBkMode(TRANSPARENT);
  if (!dc->GetTextExtentPoint32(name, nameLength, extent)) *extent = SIZE{0, 0};
  const long long left = layout.Margin();
  const long long top = 3LL * layout.LineStep();
  if (origin.Meets(MakeRect(left, top, left + extent->cx + 2, top + extent->cy + 2))) {
    dc->TextOut(origin.X(left), origin.Y(top), name, nameLength);
  }
  dc->SetBkMode(oldMode);
  dc->SetTextColor(oldColour);
  dc->SetTextAlign(oldAlign);
  dc->SelectFont(oldFont);
}

void DrawStaves(HDC dc, const StaffLayout& layout, const Origin& origin, COLORREF colour, LONG top, LONG rows) {
  const DrawPen oldPen = dc->SelectPen(DrawPen{PS_SOLID, 1, colour});
  const long long left = layout.StaffLeft();
  const long long right = left + layout.StaffWidth();
  const long long a = layout.LineStep();
  for (LONG row = 0; row < rows; ++row) {
    const long long line = layout.TopLine(top, row);
    if (!origin.Meets(MakeRect(left, line, right + 1, line + 4 * a + 1))) continue;
    for (int k = 0; k < 5; ++k) {
      DrawLine(dc, origin.X(left), origin.Y(line + k * a), origin.X(right), origin.Y(line + k * a));
    }
    DrawLine(dc, origin.X(left), origin.Y(line), origin.X(left), origin.Y(line + 4 * a + 1));
    DrawLine(dc, origin.X(right), origin.Y(line), origin.X(right), origin.Y(line + 4 * a + 1));
  }
  dc->SelectPen(oldPen);
}

// Draws staff image index at (x, y) when its cell meets the clip.
void DrawStaffImage(HDC dc, const StaffLayout& layout, const Origin& origin, HIMAGELIST list, int index, long long x,
                    long long y) {
  if (origin.Meets(MakeRect(x, y, x + layout.R(35), y + layout.R(69)))) {
    ImageList_Draw(list, index, dc, origin.X(x), origin.Y(y), ILD_NORMAL);
  }
}

void DrawNotes(HDC dc, const StaffRenderer::Images& images, const StaffLayout& layout, const Origin& origin,
               const COLORREF* colours, LONG top, LONG count, const StaffRenderer::NoteAt& noteAt) {
  const long long w = layout.R(21);
  const long long h = layout.R(31);
  for (LONG i = 0; i < count; ++i) {
    INote1* note = noteAt ? noteAt(i) : nullptr;
    if (note == nullptr) continue;
    SHORT pitch = 0;
    SHORT flags = 0;
    if (FAILED(note->GetPitch(&pitch)) || FAILED(note->GetFlags(&flags))) continue;
    const POINT anchor = layout.Anchor(i, pitch, flags, top);
    if (!origin.Meets(MakeRect(anchor.x - w, anchor.y - h, anchor.x + 2 * w, anchor.y + 2 * h))) continue;
    const POINT device{origin.X(anchor.x), origin.Y(anchor.y)};
    note->Draw(dc, images.notes, images.selectedNotes, colours, &device, layout.Scale());
  }
}

}  // namespace

HRESULT StaffRenderer::DrawMelody(HDC dc, const Images& images, const COLORREF* colours, const RECT* clip, HFONT font,
                                  LONG scale, const WCHAR* name, int nameLength, LONG count, const NoteAt& noteAt) {
  if (dc == nullptr || colours == nullptr || clip == nullptr) return E_POINTER;
  if (!StaffLayout::IsValidScale(scale) || nameLength < 0) return E_INVALIDARG;
  if (name == nullptr) nameLength = 0;
  const StaffLayout layout(scale);
  const Origin origin(*clip);

  SIZE extent{0, 0};
  DrawTitle(dc, layout, origin, colours, font, name, nameLength, &extent);
  // The staff hangs below the title: the title's height is the vertical origin.
  const LONG top = extent.cy;
  const LONG rows = StaffLayout::Rows(count);

  DrawStaves(dc, layout, origin, colours[1], top, rows);

  const long long imageLeft = static_cast<long long>(layout.Margin()) + layout.R(5);
  for (LONG row = 0; row < rows; ++row) {
    DrawStaffImage(dc, layout, origin, images.staff, kImageClef, imageLeft,
                   static_cast<long long>(layout.TopLine(top, row)) - layout.R(15));
  }

  DrawNotes(dc, images, layout, origin, colours, top, count, noteAt);

  // The end mark takes the cell after the last symbol, the thirteenth cell
  // of the row when that row is full, or the first cell of an empty melody.
  const LONG endRow = count > 0 ? (count - 1) / StaffLayout::kColumns : 0;
  const LONG endColumn = count > 0 ? (count - 1) % StaffLayout::kColumns + 1 : 0;
  DrawStaffImage(dc, layout, origin, images.staff, kImageEndMark,
                 imageLeft + layout.CellWidth() + static_cast<long long>(endColumn) * layout.CellWidth(),
                 static_cast<long long>(layout.TopLine(top, endRow)) - layout.R(15));
  return S_OK;
}

HRESULT StaffRenderer::DrawNote(HDC dc, HIMAGELIST notes, HIMAGELIST selectedNotes, const COLORREF* colours,
                                const POINT* anchor, LONG scale, const Symbol& symbol) {
  if (dc == nullptr || colours == nullptr || anchor == nullptr) return E_POINTER;
  if (!StaffLayout::IsValidScale(scale)) return E_INVALIDARG;
  const StaffLayout layout(scale);
  const long long x = anchor->x;
  const long long y = anchor->y;
  const long long h = layout.R(4);
  const long long a = layout.LineStep();
  const long long b = layout.R(25);
  const long long r13 = layout.R(13);
  const bool rest = (symbol.flags & FLAG_REST) != 0;
  const bool stemDown = symbol.pitch > kHighestStemUp;

  // Ledger lines above or below the staff. A rest's pitch does not place it,
  // so a rest gets none: they would stand as stray strokes across the staff.
  if (!rest && symbol.pitch >= 0 && symbol.pitch < PITCH_COUNT && kLedgers[symbol.pitch].count > 0) {
    const Ledgers& l = kLedgers[symbol.pitch];
    const long long first = y + h * l.dh + a * l.da + b * l.db + layout.R(5) * l.d5;
    const DrawPen oldPen = dc->SelectPen(DrawPen{PS_SOLID, 0, colours[1]});
    const long long w = layout.R(19);
    const long long x0 = x + layout.R(5) - w / 2;
    for (int k = 0; k < l.count; ++k) {
      DrawLine(dc, Saturate(x0), Saturate(first + k * a), Saturate(x0 + w), Saturate(first + k * a));
    }
    dc->SelectPen(oldPen);
  }

  HIMAGELIST list = symbol.selected == 0 ? notes : symbol.selected == 1 ? selectedNotes : nullptr;
  if (list == nullptr) return S_OK;

  if (!rest && StaffLayout::IsBlackKey(symbol.pitch)) {
    const long long sharpY = stemDown ? y + h - r13 : y + b - r13;
    ImageList_Draw(list, kImageSharp, dc, Saturate(x + h - layout.R(21)), Saturate(sharpY), ILD_TRANSPARENT);
  }

  // Durations beyond the sixteenth have no glyph of their own; their image
  // index would land on another glyph (a sharp, a rest, the dot).
  if (symbol.duration >= DURATION_WHOLE && symbol.duration <= DURATION_SIXTEENTH) {
    const int duration = static_cast<int>(symbol.duration);
    const int image = rest ? kImageFirstRest + duration : stemDown ? kImageStemDown + duration : duration;
    ImageList_Draw(list, image, dc, Saturate(x), Saturate(y), ILD_TRANSPARENT);
  }

  if ((symbol.flags & FLAG_DOT) != 0) {
    if (rest) {
      ImageList_Draw(list, kImageDot, dc, Saturate(x + r13), Saturate(y), ILD_TRANSPARENT);
    } else {
      const long long dotY = stemDown ? y - r13 + h : y - r13 + b;
      ImageList_Draw(list, kImageDot, dc, Saturate(x + h), Saturate(dotY), ILD_TRANSPARENT);
    }
  }
  return S_OK;
}

}  // namespace nv
