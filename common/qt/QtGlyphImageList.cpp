#include "QtGlyphImageList.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstring>

#include "MusicGlyphs.h"
#include "QtDrawSurface.h"

namespace {

QSize CellOf(QtGlyphImageList::Kind kind, LONG scale) {
  const MusicGlyphs glyphs(scale);
  return kind == QtGlyphImageList::Kind::Notes ? glyphs.NoteCell() : glyphs.StaffCell();
}

}  // namespace

QtGlyphImageList::QtGlyphImageList(Kind kind, COLORREF ink, LONG scale)
    : ImageList(CellOf(kind, scale).width(), CellOf(kind, scale).height()) {
  const MusicGlyphs glyphs(scale);
  const SIZE cell = GetIconSize();
  const int count = kind == Kind::Notes ? MusicGlyphs::kNoteGlyphCount : MusicGlyphs::kStaffGlyphCount;
  for (int i = 0; i < count; ++i) {
    std::vector<uint32_t> pixels(static_cast<size_t>(cell.cx) * cell.cy, 0);
    if (cell.cx > 0 && cell.cy > 0) {
      // Painted straight into the list's own buffer.
      QImage picture(reinterpret_cast<uchar*>(pixels.data()), cell.cx, cell.cy, cell.cx * 4,
                     QImage::Format_ARGB32_Premultiplied);
      QPainter painter(&picture);
      painter.setRenderHint(QPainter::Antialiasing, true);
      painter.setPen(Qt::NoPen);
      painter.setBrush(QtDrawSurface::ToQColor(ink));
      if (kind == Kind::Notes) {
        glyphs.PaintNoteGlyph(painter, i);
      } else {
        glyphs.PaintStaffGlyph(painter, i);
      }
    }
    Add(std::move(pixels));
  }
}
