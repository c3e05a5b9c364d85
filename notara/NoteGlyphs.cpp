#include "NoteGlyphs.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/DrawSurface.h"

namespace {

// Design geometry of the note cell.
constexpr double kHeadX = 5.5;
constexpr double kHeadUpY = 25.0;
constexpr double kHeadDownY = 4.0;
constexpr double kHeadRx = 5.4;
constexpr double kHeadRy = 3.9;
constexpr double kHeadTilt = -20.0;
constexpr double kStemWidth = 1.15;

using Painter = std::function<void(QPainter&)>;

// Renders one picture: design units scaled to the cell, transparent ground.
std::vector<uint32_t> Render(int width, int height, double designWidth, double designHeight, const Painter& paint) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(width / designWidth, height / designHeight);
    paint(painter);
  }
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    std::memcpy(pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width), image.constScanLine(y),
                static_cast<size_t>(width) * sizeof(uint32_t));
  }
  return pixels;
}

QPainterPath Head(double cy, bool open) {
  QPainterPath head;
  QTransform tilt;
  tilt.translate(kHeadX, cy);
  tilt.rotate(kHeadTilt);
  QPainterPath outer;
  outer.addEllipse(QPointF(0, 0), kHeadRx, kHeadRy);
  head = tilt.map(outer);
  if (open) {
    // A hollow head: the inner opening is a narrower ellipse tilted further,
    // leaving thick sides and thin top and bottom as engraved heads have.
    QTransform inner;
    inner.translate(kHeadX, cy);
    inner.rotate(kHeadTilt - 18.0);
    QPainterPath hole;
    hole.addEllipse(QPointF(0, 0), kHeadRx * 0.62, kHeadRy * 0.52);
    head = head.subtracted(inner.map(hole));
  }
  return head;
}

// An eighth-note flag hanging from the stem's end; up: the stem points up.
QPainterPath Flag(double x, double y, bool up) {
  const double s = up ? 1.0 : -1.0;
  QPainterPath flag;
  flag.moveTo(x, y);
  flag.cubicTo(x + 0.4, y + s * 4.0, x + 7.0, y + s * 6.0, x + 6.6, y + s * 12.5);
  flag.cubicTo(x + 6.4, y + s * 14.0, x + 5.6, y + s * 15.0, x + 5.2, y + s * 15.6);
  flag.cubicTo(x + 6.6, y + s * 11.5, x + 4.0, y + s * 8.0, x, y + s * 6.8);
  flag.closeSubpath();
  return flag;
}

void DrawNote(QPainter& p, int duration, bool up) {
  const double cy = up ? kHeadUpY : kHeadDownY;
  p.setPen(Qt::NoPen);
  p.drawPath(Head(cy, duration <= 1));
  if (duration == 0) return;
  // The stem joins the head at its right side going up, at its left going down.
  const double stemX = up ? kHeadX + kHeadRx - 0.2 - kStemWidth : kHeadX - kHeadRx + 0.2;
  const double stemFrom = cy + (up ? -1.0 : 1.0);
  const double stemTo = up ? 0.6 : 30.4;
  p.drawRect(QRectF(stemX, std::min(stemFrom, stemTo), kStemWidth, std::abs(stemTo - stemFrom)));
  const double flagX = stemX + kStemWidth * 0.5;
  if (duration >= 3) p.drawPath(Flag(flagX, stemTo, up));
  if (duration >= 4) p.drawPath(Flag(flagX, stemTo + (up ? 5.6 : -5.6), up));
}

void DrawSharp(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.drawRect(QRectF(9.6, 3.8, 1.0, 19.8));
  p.drawRect(QRectF(12.8, 2.4, 1.0, 19.8));
  for (double y : {10.6, 17.2}) {
    QPainterPath bar;
    bar.moveTo(8.0, y);
    bar.lineTo(15.4, y - 2.4);
    bar.lineTo(15.4, y - 0.2);
    bar.lineTo(8.0, y + 2.2);
    bar.closeSubpath();
    p.drawPath(bar);
  }
}

// Rests sit on the staff: in the rest cell the staff lines lie at y = -5, 4,
// 13, 22 and 31.
void DrawRest(QPainter& p, int duration) {
  p.setPen(Qt::NoPen);
  switch (duration) {
    case 0:  // hangs from the fourth line
      p.drawRect(QRectF(5.0, 4.0, 10.0, 4.6));
      break;
    case 1:  // sits on the middle line
      p.drawRect(QRectF(5.0, 8.4, 10.0, 4.6));
      break;
    case 2: {  // the zigzag: thin, thick, thin strokes and a hook at the foot
      QPen pen(p.brush().color(), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
      p.setBrush(Qt::NoBrush);
      p.setPen(pen);
      p.drawLine(QPointF(8.2, 2.0), QPointF(13.6, 8.6));
      p.drawLine(QPointF(8.6, 15.0), QPointF(13.8, 20.8));
      pen.setWidthF(3.4);
      p.setPen(pen);
      p.drawLine(QPointF(13.0, 9.2), QPointF(9.0, 14.6));
      pen.setWidthF(2.4);
      p.setPen(pen);
      QPainterPath hook;
      hook.moveTo(13.6, 21.0);
      hook.cubicTo(9.8, 18.8, 6.8, 20.6, 8.2, 23.8);
      hook.cubicTo(8.8, 25.2, 10.0, 26.2, 11.4, 27.0);
      p.drawPath(hook);
      break;
    }
    default: {  // eighth and shorter: a slanted stem with one blob per flag
      const int blobs = duration == 3 ? 1 : 2;
      const double stemBottom = blobs == 1 ? 22.0 : 28.5;
      QPainterPath stem;
      stem.moveTo(14.2, 7.0);
      stem.lineTo(15.4, 7.0);
      stem.lineTo(10.4, stemBottom);
      stem.lineTo(9.2, stemBottom);
      stem.closeSubpath();
      p.drawPath(stem);
      for (int i = 0; i < blobs; ++i) {
        const double dy = i * 6.4;
        const double dx = -i * 1.7;
        p.drawEllipse(QPointF(7.4 + dx, 9.2 + dy), 2.2, 2.1);
        QPainterPath hook;
        hook.moveTo(6.8 + dx, 10.9 + dy);
        hook.cubicTo(9.6 + dx, 12.2 + dy, 12.6 + dx, 10.6 + dy, 14.9 + dx, 7.0 + dy);
        hook.lineTo(14.6 + dx, 8.8 + dy);
        hook.cubicTo(12.2 + dx, 12.4 + dy, 9.2 + dx, 13.0 + dy, 6.8 + dx, 10.9 + dy);
        p.drawPath(hook);
      }
      break;
    }
  }
}

void DrawDot(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(12.2, 10.6), 1.7, 1.7);
}

// The treble clef, curling round the second line from the bottom (y 42 in
// the staff image; the lines are at 15, 24, 33, 42 and 51).
void DrawClef(QPainter& p) {
  QPainterPath clef;
  clef.moveTo(19.2, 46.0);
  clef.cubicTo(14.2, 46.4, 12.6, 41.4, 15.6, 38.6);
  clef.cubicTo(18.6, 35.8, 24.6, 36.8, 25.4, 41.8);
  clef.cubicTo(26.2, 47.0, 21.8, 51.4, 16.4, 51.0);
  clef.cubicTo(9.6, 50.6, 6.2, 45.0, 7.6, 38.8);
  clef.cubicTo(9.0, 32.4, 15.0, 27.6, 19.0, 22.6);
  clef.cubicTo(23.4, 17.2, 24.4, 10.6, 22.6, 5.8);
  clef.cubicTo(21.4, 2.8, 18.2, 3.6, 16.8, 7.4);
  clef.cubicTo(15.0, 12.4, 15.6, 19.0, 16.8, 27.0);
  clef.lineTo(20.8, 58.6);
  clef.cubicTo(21.6, 64.4, 16.4, 66.6, 13.0, 64.0);

  QPen thin(p.brush().color(), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setBrush(Qt::NoBrush);
  p.setPen(thin);
  p.drawPath(clef);

  // The swelling of the belly and of the descending stroke.
  QPainterPath belly;
  belly.moveTo(16.4, 51.0);
  belly.cubicTo(9.6, 50.6, 6.2, 45.0, 7.6, 38.8);
  belly.cubicTo(8.6, 34.2, 12.0, 30.4, 15.0, 27.2);
  QPen thick(thin);
  thick.setWidthF(3.2);
  p.setPen(thick);
  p.drawPath(belly);
  QPainterPath upper;
  upper.moveTo(19.0, 22.6);
  upper.cubicTo(22.2, 18.6, 23.4, 14.0, 23.0, 9.8);
  thick.setWidthF(2.4);
  p.setPen(thick);
  p.drawPath(upper);

  p.setPen(Qt::NoPen);
  p.setBrush(thin.color());
  p.drawEllipse(QPointF(14.2, 62.2), 2.9, 2.9);
}

void DrawEndMark(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.drawRect(QRectF(4.6, 15.0, 1.2, 37.0));
  p.drawRect(QRectF(8.6, 15.0, 4.0, 37.0));
}

}  // namespace

std::unique_ptr<ImageList> NoteGlyphs::Notes(int width, int height, const QColor& ink) {
  if (width <= 0 || height <= 0) return nullptr;
  auto list = std::make_unique<ImageList>(width, height);
  const auto add = [&](const Painter& paint) {
    list->Add(Render(width, height, kNoteWidth, kNoteHeight, [&](QPainter& p) {
      p.setBrush(ink);
      paint(p);
    }));
  };
  for (bool up : {true, false}) {
    for (int duration = 0; duration <= 4; ++duration) add([=](QPainter& p) { DrawNote(p, duration, up); });
  }
  add(DrawSharp);
  for (int duration = 0; duration <= 4; ++duration) add([=](QPainter& p) { DrawRest(p, duration); });
  add(DrawDot);
  return list;
}

std::unique_ptr<ImageList> NoteGlyphs::Staff(int width, int height, const QColor& ink) {
  if (width <= 0 || height <= 0) return nullptr;
  auto list = std::make_unique<ImageList>(width, height);
  for (const Painter& paint : {Painter(DrawClef), Painter(DrawEndMark)}) {
    list->Add(Render(width, height, kStaffWidth, kStaffHeight, [&](QPainter& p) {
      p.setBrush(ink);
      paint(p);
    }));
  }
  return list;
}
