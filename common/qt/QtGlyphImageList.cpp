#include "QtGlyphImageList.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "MusicGlyphs.h"
#include "QtDrawSurface.h"

namespace {

double RatioOf(double ratio) {
  return ratio >= 1.0 ? ratio : 1.0;
}

// The picture size of a cell: the cell's pixels times the ratio, whole.
QSize CellOf(QtGlyphImageList::Kind kind, LONG scale, double ratio) {
  const MusicGlyphs glyphs(scale);
  const QSize cell = kind == QtGlyphImageList::Kind::Notes ? glyphs.NoteCell() : glyphs.StaffCell();
  return QSize(static_cast<int>(std::ceil(cell.width() * RatioOf(ratio))),
               static_cast<int>(std::ceil(cell.height() * RatioOf(ratio))));
}

}  // namespace

QtGlyphImageList::QtGlyphImageList(Kind kind, COLORREF ink, LONG scale, double ratio, const MusicFont* font)
    : ImageList(CellOf(kind, scale, ratio).width(), CellOf(kind, scale, ratio).height(), RatioOf(ratio)),
      kind_(kind),
      ink_(ink),
      glyphs_(scale, font) {
  const MusicGlyphs& glyphs = glyphs_;
  const SIZE cell = GetIconSize();
  const int count = kind == Kind::Notes ? MusicGlyphs::kNoteGlyphCount : MusicGlyphs::kStaffGlyphCount;
  for (int i = 0; i < count; ++i) {
    std::vector<uint32_t> pixels(static_cast<size_t>(cell.cx) * cell.cy, 0);
    if (cell.cx > 0 && cell.cy > 0) {
      // Painted straight into the list's own buffer, the glyph's pixels
      // scaled to the device's.
      QImage picture(reinterpret_cast<uchar*>(pixels.data()), cell.cx, cell.cy, cell.cx * 4,
                     QImage::Format_ARGB32_Premultiplied);
      QPainter painter(&picture);
      painter.setRenderHint(QPainter::Antialiasing, true);
      painter.setPen(Qt::NoPen);
      painter.setBrush(QtDrawSurface::ToQColor(ink));
      if (PixelRatio() != 1.0) painter.scale(PixelRatio(), PixelRatio());
      if (kind == Kind::Notes) {
        glyphs.PaintNoteGlyph(painter, i);
      } else {
        glyphs.PaintStaffGlyph(painter, i);
      }
    }
    Add(std::move(pixels));
  }
}

bool QtGlyphImageList::PaintShapes(QPainter& painter, int index, QPoint at) const {
  if (index < 0 || index >= GetImageCount()) return false;
  const QSize cell = kind_ == Kind::Notes ? glyphs_.NoteCell() : glyphs_.StaffCell();
  painter.save();
  painter.translate(at);
  // The pictures end at their cell's edges; so do the shapes.
  painter.setClipRect(QRect(QPoint(0, 0), cell), Qt::IntersectClip);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QtDrawSurface::ToQColor(ink_));
  if (kind_ == Kind::Notes) {
    glyphs_.PaintNoteGlyph(painter, index);
  } else {
    glyphs_.PaintStaffGlyph(painter, index);
  }
  painter.restore();
  return true;
}
