#include "QtDrawSurface.h"

#include <QFontMetrics>
#include <QPaintEngine>
#include <QString>
#include <algorithm>
#include <utility>

#include "QtDrawFont.h"
#include "QtGlyphImageList.h"

QtDrawSurface::QtDrawSurface(QImage* image) : painter_(ownPainter_) {
  if (image != nullptr && !image->isNull()) painter_.begin(image);
  if (painter_.isActive()) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    painter_.setFont(defaultFont_);
  }
}

QtDrawSurface::QtDrawSurface(QPainter& painter) : painter_(painter), borrowed_(painter.isActive()) {
  // The caller's render hints stay: on paper, smoothing keeps lines thinner
  // than a device pixel visible.
  if (borrowed_) {
    painter_.save();
    painter_.setFont(defaultFont_);
  }
}

QtDrawSurface::~QtDrawSurface() {
  if (borrowed_) {
    if (painter_.isActive()) painter_.restore();
  } else if (painter_.isActive()) {
    painter_.end();
  }
}

QColor QtDrawSurface::ToQColor(COLORREF colour) {
  return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

const QFont& QtDrawSurface::CurrentFont() const {
  const auto* font = dynamic_cast<const QtDrawFont*>(font_);
  return font != nullptr ? font->font() : defaultFont_;
}

QFontMetrics QtDrawSurface::Metrics() const {
  // Measured for the image, whose resolution may differ from the screen's.
  return painter_.isActive() ? QFontMetrics(CurrentFont(), painter_.device()) : QFontMetrics(CurrentFont());
}

HFONT QtDrawSurface::SelectFont(HFONT font) {
  HFONT previous = std::exchange(font_, font);
  if (painter_.isActive()) painter_.setFont(CurrentFont());
  return previous;
}

UINT QtDrawSurface::SetTextAlign(UINT align) {
  return std::exchange(align_, align);
}
COLORREF QtDrawSurface::SetTextColor(COLORREF colour) {
  return std::exchange(textColour_, colour);
}
COLORREF QtDrawSurface::SetBkColor(COLORREF colour) {
  return std::exchange(bkColour_, colour);
}
int QtDrawSurface::SetBkMode(int mode) {
  return std::exchange(bkMode_, mode);
}
DrawPen QtDrawSurface::SelectPen(const DrawPen& pen) {
  return std::exchange(pen_, pen);
}

BOOL QtDrawSurface::GetTextExtentPoint32(LPCWSTR text, int length, SIZE* size) {
  if (size == nullptr || length < 0 || (text == nullptr && length > 0)) return FALSE;
  const QFontMetrics metrics = Metrics();
  const QString s = QString::fromUtf16(text, length);
  // The line height of the font, as for the platform's text extent: ascent plus descent.
  *size = SIZE{length > 0 ? metrics.horizontalAdvance(s) : 0, metrics.ascent() + metrics.descent()};
  return TRUE;
}

BOOL QtDrawSurface::TextOut(int x, int y, LPCWSTR text, int length) {
  if (!painter_.isActive() || length < 0 || (text == nullptr && length > 0)) return FALSE;
  if (length == 0) return TRUE;
  const QString s = QString::fromUtf16(text, length);
  const QFontMetrics metrics = Metrics();
  const int width = metrics.horizontalAdvance(s);
  const int height = metrics.ascent() + metrics.descent();
  int left = x;
  if ((align_ & TA_CENTER) == TA_CENTER) {
    left = x - width / 2;
  } else if ((align_ & TA_RIGHT) != 0) {
    left = x - width;
  }
  int top = y;
  if ((align_ & TA_BASELINE) == TA_BASELINE) {
    top = y - metrics.ascent();
  } else if ((align_ & TA_BOTTOM) != 0) {
    top = y - height;
  }
  if (bkMode_ == OPAQUE) painter_.fillRect(QRect(left, top, width, height), ToQColor(bkColour_));
  painter_.setPen(ToQColor(textColour_));
  painter_.drawText(QPoint(left, top + metrics.ascent()), s);
  return TRUE;
}

BOOL QtDrawSurface::MoveToEx(int x, int y, POINT* previous) {
  if (previous != nullptr) *previous = position_;
  position_ = POINT{x, y};
  return TRUE;
}

BOOL QtDrawSurface::LineTo(int x, int y) {
  const POINT from = std::exchange(position_, POINT{x, y});
  if (!painter_.isActive()) return FALSE;
  if (pen_.style == PS_NULL) return TRUE;
  const int width = std::max(1, pen_.width);
  const QColor colour = ToQColor(pen_.colour);
  // Straight lines are filled as rectangles, from the start pixel up to but
  // not including the end pixel, the pen's width centred on the line.
  const int offset = (width - 1) / 2;
  if (from.y == y && from.x != x) {
    const int left = from.x < x ? from.x : x + 1;
    painter_.fillRect(QRect(left, y - offset, std::abs(x - from.x), width), colour);
  } else if (from.x == x && from.y != y) {
    const int top = from.y < y ? from.y : y + 1;
    painter_.fillRect(QRect(x - offset, top, width, std::abs(y - from.y)), colour);
  } else if (from.x != x || from.y != y) {
    // A one-pixel line is one surface pixel wide on an image of several
    // device pixels per pixel too, as the straight ones are.
    const bool cosmetic = width == 1 && painter_.device()->devicePixelRatio() == 1.0;
    painter_.setPen(QPen(colour, cosmetic ? 0 : width));
    painter_.drawLine(QPoint(from.x, from.y), QPoint(x, y));
  }
  return TRUE;
}

BOOL QtDrawSurface::FillRect(const RECT* rect, COLORREF colour) {
  if (!painter_.isActive() || rect == nullptr) return FALSE;
  if (rect->right > rect->left && rect->bottom > rect->top) {
    painter_.fillRect(QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top),
                      ToQColor(colour));
  }
  return TRUE;
}

BOOL QtDrawSurface::DrawImage(HIMAGELIST list, int index, int x, int y, UINT style) {
  if (!painter_.isActive() || list == nullptr) return FALSE;
  const uint32_t* bits = list->Bits(index);
  if (bits == nullptr) return FALSE;
  const SIZE size = list->GetIconSize();
  if (size.cx <= 0 || size.cy <= 0) return TRUE;
  const double ratio = list->PixelRatio();
  if ((style & ILD_TRANSPARENT) == 0 && list->GetBkColor() != CLR_NONE) {
    painter_.fillRect(QRectF(x, y, size.cx / ratio, size.cy / ratio), ToQColor(list->GetBkColor()));
  }
  // Paper, vector files and print previews take staff glyphs as the shapes
  // they were drawn from: sharp at the printer's resolution, and text-like
  // in size rather than a picture per glyph.
  const auto* glyphs = dynamic_cast<const QtGlyphImageList*>(list);
  if (glyphs != nullptr && painter_.paintEngine() != nullptr &&
      painter_.paintEngine()->type() != QPaintEngine::Raster) {
    return glyphs->PaintShapes(painter_, index, QPoint(x, y)) ? TRUE : FALSE;
  }
  // The list's pixels are wrapped, not copied: premultiplied 0xAARRGGBB words.
  QImage picture(reinterpret_cast<const uchar*>(bits), size.cx, size.cy, size.cx * 4,
                 QImage::Format_ARGB32_Premultiplied);
  if (ratio != 1.0) picture.setDevicePixelRatio(ratio);
  // A borrowed painter may record rather than paint (a print preview keeps
  // its pages as pictures and plays them later), so there the picture gets
  // pixels of its own.
  painter_.drawImage(QPoint(x, y), borrowed_ ? picture.copy() : picture);
  return TRUE;
}
