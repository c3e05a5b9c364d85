#include "MusicGlyphs.h"

#include <QPolygonF>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace {

constexpr double kHeadTilt = -20.0;  // degrees; the head's long axis rises to the right

// A stroke of a broad brush along straight and cubic segments, its width
// changing linearly along each segment. Built in staff-space units.
class BrushStroke {
 public:
  BrushStroke() { path_.setFillRule(Qt::WindingFill); }

  void MoveTo(QPointF p, double width) {
    last_ = p;
    lastWidth_ = width;
    lastNormal_.reset();
  }

  void LineTo(QPointF p, double width) {
    CubicTo(last_ + (p - last_) / 3.0, last_ + (p - last_) * 2.0 / 3.0, p, width);
  }

  void CubicTo(QPointF c1, QPointF c2, QPointF p, double width) {
    constexpr int kSteps = 24;
    const QPointF p0 = last_;
    const double w0 = lastWidth_;
    auto point = [&](double t) {
      const double u = 1 - t;
      return u * u * u * p0 + 3 * u * u * t * c1 + 3 * u * t * t * c2 + t * t * t * p;
    };
    QPointF previous = p0;
    for (int i = 1; i <= kSteps; ++i) {
      const double t = static_cast<double>(i) / kSteps;
      const QPointF current = point(t);
      const QPointF d = current - previous;
      const double length = std::hypot(d.x(), d.y());
      if (length > 1e-9) {
        const QPointF normal(-d.y() / length, d.x() / length);
        const QPointF startNormal = lastNormal_.value_or(normal);
        // Half widths at both ends of this step.
        const double wa = (w0 + (width - w0) * (t - 1.0 / kSteps)) / 2.0;
        const double wb = (w0 + (width - w0) * t) / 2.0;
        AddQuad(previous + startNormal * wa, current + normal * wb, current - normal * wb, previous - startNormal * wa);
        lastNormal_ = normal;
        previous = current;
      }
    }
    last_ = p;
    lastWidth_ = width;
  }

  // A round blob, as at the end of a hook.
  void Ball(QPointF centre, double radius) { path_.addEllipse(centre, radius, radius); }

  const QPainterPath& path() const { return path_; }

 private:
  // Quads are added with one orientation so that the winding fill unites them.
  void AddQuad(QPointF a, QPointF b, QPointF c, QPointF d) {
    QPolygonF quad{a, b, c, d, a};
    double area = 0;
    for (int i = 0; i < 4; ++i) area += quad[i].x() * quad[i + 1].y() - quad[i + 1].x() * quad[i].y();
    if (area < 0) quad = QPolygonF{a, d, c, b, a};
    path_.addPolygon(quad);
  }

  QPainterPath path_;
  QPointF last_;
  double lastWidth_ = 0;
  std::optional<QPointF> lastNormal_;
};

// Maps staff-space units to pixels: one unit is one line step, origin at o.
QPainterPath Place(const QPainterPath& path, QPointF origin, double a) {
  QTransform t;
  t.translate(origin.x(), origin.y());
  t.scale(a, a);
  return t.map(path);
}

QPainterPath TiltedEllipse(QPointF centre, double rx, double ry, double degrees) {
  QPainterPath e;
  e.addEllipse(QPointF(0, 0), rx, ry);
  QTransform t;
  t.translate(centre.x(), centre.y());
  t.rotate(degrees);
  return t.map(e);
}

}  // namespace

LONG MusicGlyphs::Scaled(LONG scale, LONG v) {
  return static_cast<LONG>(std::ceil(static_cast<double>(scale) * static_cast<double>(v) / 100.0 - 0.5));
}

MusicGlyphs::MusicGlyphs(LONG scale, const MusicFont* font) : scale_(std::max<LONG>(scale, 1)), font_(font) {
  a_ = std::max(1.0, R(9));
  headRx_ = 0.64 * a_;
  headRy_ = 0.5 * a_;
  const double tilt = kHeadTilt * std::numbers::pi / 180.0;
  headHalfW_ = std::hypot(headRx_ * std::cos(tilt), headRy_ * std::sin(tilt));
  headHalfH_ = std::hypot(headRx_ * std::sin(tilt), headRy_ * std::cos(tilt));
  // Centred where the ledger lines are centred: they run R(19) wide from R(5) - R(19) / 2.
  const double ledgerCentre = R(5) - std::floor(R(19) / 2) + R(19) / 2;
  headCx_ = std::max(ledgerCentre, headHalfW_ + 0.25);
  // A head sits on a line (anchor + R(25) for a stem up, + R(4) for a stem
  // down) or in a space (half a step lower, less R(4)); the midway point
  // serves both within a quarter of a pixel or so.
  headCyUp_ = std::min(R(25) + 0.5 + (0.5 * a_ - R(4)) / 2, R(31) - headHalfH_ - 0.1);
  headCyDown_ = std::max(0.5 + (R(4) + 0.5 * a_) / 2, headHalfH_ + 0.1);
}

QSize MusicGlyphs::NoteCell() const {
  return QSize(Scaled(scale_, 21), Scaled(scale_, 31));
}
QSize MusicGlyphs::StaffCell() const {
  return QSize(Scaled(scale_, 35), Scaled(scale_, 69));
}

void MusicGlyphs::PaintNoteGlyph(QPainter& painter, int index) const {
  if (index >= 0 && index <= 4) {
    PaintNote(painter, index, false);
  } else if (index >= 5 && index <= 9) {
    PaintNote(painter, index - 5, true);
  } else if (index == 10) {
    PaintSharp(painter);
  } else if (index >= 11 && index <= 15) {
    PaintRest(painter, index - 11);
  } else if (index == 16) {
    PaintDot(painter);
  }
}

void MusicGlyphs::PaintStaffGlyph(QPainter& painter, int index) const {
  if (index == 0) {
    PaintClef(painter);
  } else if (index == 1) {
    PaintEndMark(painter);
  }
}

void MusicGlyphs::PaintNote(QPainter& painter, int duration, bool stemDown) const {
  if (font_ != nullptr) {
    PaintFontNote(painter, duration, stemDown);
    return;
  }
  const QBrush ink = painter.brush();
  const double a = a_;
  const QPointF head(headCx_, stemDown ? headCyDown_ : headCyUp_);
  const double height = NoteCell().height();
  const double width = NoteCell().width();

  if (duration == 0) {
    // Whole note: a broad oval with an oblique hollow, no stem.
    const double rx = std::min(0.8 * a, std::max(headCx_, width / 2) - 0.3);
    const QPointF centre(std::max(headCx_, rx + 0.3), head.y());
    QPainterPath note = TiltedEllipse(centre, rx, 0.5 * a, 0);
    note.addPath(TiltedEllipse(centre, 0.42 * a, 0.26 * a, -55));
    note.setFillRule(Qt::OddEvenFill);
    painter.fillPath(note, ink);
    return;
  }

  QPainterPath headPath = TiltedEllipse(head, headRx_, headRy_, kHeadTilt);
  if (duration == 1) {
    headPath.addPath(TiltedEllipse(head, 0.56 * a, 0.2 * a, kHeadTilt - 12));
    headPath.setFillRule(Qt::OddEvenFill);
  }
  painter.fillPath(headPath, ink);

  // The stem joins the head at its right side (up) or left side (down),
  // on whole pixels so that it stays sharp.
  const double stemWidth = std::max(1.0, std::round(0.12 * a));
  double stemLeft, stemTop, stemBottom;
  if (stemDown) {
    stemLeft = std::round(head.x() - headHalfW_ + 0.1);
    stemTop = head.y();
    stemBottom = height;
  } else {
    stemLeft = std::round(head.x() + headHalfW_ - 0.1) - stemWidth;
    stemTop = 0;
    stemBottom = head.y();
  }
  painter.fillRect(QRectF(stemLeft, stemTop, stemWidth, stemBottom - stemTop), ink);

  // Flags hang from the stem's free end towards the head; a sixteenth has two.
  const int flags = duration - 2;
  if (flags <= 0) return;
  const double sign = stemDown ? -1.0 : 1.0;
  const QPointF root(stemLeft + stemWidth, stemDown ? height : 0.0);
  const double reach = std::min(1.0, (width - 0.3 - root.x()) / a);  // horizontal room in the cell
  // Vertical room: from the stem's end to just short of the head, so a flag
  // never runs into the head of a stem-down note.
  const double room = (stemDown ? height - (head.y() + headHalfH_) : head.y() - headHalfH_) - 0.15 * a;
  const double spacing = 0.78 * a;
  const double drop = std::min(flags == 1 ? 1.0 : 0.8, (room - (flags - 1) * spacing) / (2.8 * a));
  for (int f = 0; f < flags; ++f) {
    const QPointF o = root + QPointF(0, sign * f * spacing);
    auto p = [&](double x, double y) { return o + QPointF(x * reach * a, sign * y * drop * a); };
    QPainterPath flag;
    flag.moveTo(o);
    flag.cubicTo(p(0.05, 0.8), p(1.05, 1.05), p(0.95, 2.1));
    flag.cubicTo(p(0.92, 2.4), p(0.82, 2.6), p(0.68, 2.8));
    flag.cubicTo(p(0.82, 2.2), p(0.7, 1.62), p(0, 1.3));
    flag.closeSubpath();
    painter.fillPath(flag, ink);
  }
}

void MusicGlyphs::PaintRest(QPainter& painter, int duration) const {
  if (font_ != nullptr) {
    PaintFontRest(painter, duration);
    return;
  }
  const QBrush ink = painter.brush();
  const double a = a_;
  // The rest cell starts R(13) above the second staff line from the top and
  // R(21) - R(12) left of a note's anchor column.
  const double middleLine = R(13) + a + 0.5;  // centre of the middle line
  const double cx = R(21) - R(12) + headCx_ - 0.1 * a;
  const QPointF o(cx, middleLine);

  switch (duration) {
    case 0:  // hangs from the fourth line
      painter.fillRect(QRectF(cx - 0.6 * a, middleLine - a - 0.5, 1.2 * a, 0.5 * a + 0.5), ink);
      return;
    case 1:  // sits on the middle line
      painter.fillRect(QRectF(cx - 0.6 * a, middleLine + 0.5 - 0.5 * a - 0.5, 1.2 * a, 0.5 * a + 0.5), ink);
      return;
    case 2: {
      BrushStroke s;
      s.MoveTo({-0.32, -1.55}, 0.1);
      s.CubicTo({-0.1, -1.3}, {0.15, -1.05}, {0.36, -0.78}, 0.3);
      s.CubicTo({0.1, -0.5}, {-0.2, -0.3}, {-0.26, -0.05}, 0.55);
      s.CubicTo({-0.12, 0.2}, {0.15, 0.42}, {0.36, 0.62}, 0.22);
      s.CubicTo({0.0, 0.5}, {-0.5, 0.62}, {-0.22, 1.12}, 0.34);
      s.CubicTo({-0.14, 1.3}, {-0.02, 1.42}, {0.08, 1.52}, 0.1);
      painter.fillPath(Place(s.path(), o, a), ink);
      return;
    }
    default: {
      // Eighth and sixteenth: a slanted stem with one or two hooks ending in blobs.
      const int hooks = duration - 2;
      BrushStroke s;
      const QPointF top(0.55, -0.85);
      const QPointF bottom = hooks == 1 ? QPointF(0.0, 1.05) : QPointF(-0.2, 1.95);
      s.MoveTo(top, 0.12);
      s.LineTo(bottom, 0.16);
      for (int k = 0; k < hooks; ++k) {
        // Each further hook joins the stem one line step lower.
        const QPointF joint = top + (bottom - top) * (k / (bottom.y() - top.y()));
        const QPointF blob = joint + QPointF(-0.85, 0.3);
        s.MoveTo(blob + QPointF(0.15, 0.2), 0.1);
        s.CubicTo(blob + QPointF(0.45, 0.35), joint + QPointF(-0.2, 0.15), joint, 0.12);
        s.Ball(blob, 0.3);
      }
      painter.fillPath(Place(s.path(), o, a), ink);
      return;
    }
  }
}

void MusicGlyphs::PaintSharp(QPainter& painter) const {
  const QBrush ink = painter.brush();
  const double a = a_;
  // The sharp's cell stands R(21) - R(4) left of the note's anchor at the
  // height of the note's head; it ends a little before the head.
  const double cy = headCyUp_ - R(25) + R(13);
  const double headLeft = R(21) - R(4) + headCx_ - headHalfW_;
  const double cx = headLeft - 0.3 * a - 0.45 * a;
  if (font_ != nullptr) {
    FillCentred(painter, MusicFont::Glyph::Sharp, cx, cy);
    return;
  }
  const double stroke = std::max(1.0, 0.12 * a);
  painter.fillRect(QRectF(cx - 0.22 * a - stroke / 2, cy - 1.2 * a, stroke, 2.65 * a), ink);
  painter.fillRect(QRectF(cx + 0.22 * a - stroke / 2, cy - 1.45 * a, stroke, 2.65 * a), ink);
  const double thick = 0.36 * a;
  for (double yc : {cy - 0.5 * a, cy + 0.5 * a}) {
    const QPointF l(cx - 0.5 * a, yc + 0.15 * a), r(cx + 0.5 * a, yc - 0.15 * a);
    QPainterPath bar;
    bar.moveTo(l - QPointF(0, thick / 2));
    bar.lineTo(r - QPointF(0, thick / 2));
    bar.lineTo(r + QPointF(0, thick / 2));
    bar.lineTo(l + QPointF(0, thick / 2));
    bar.closeSubpath();
    painter.fillPath(bar, ink);
  }
}

void MusicGlyphs::PaintDot(QPainter& painter) const {
  const double a = a_;
  // The dot's cell starts R(4) right of the anchor at the height where the
  // sharp's starts; the dot goes half a step right of the head, a little
  // above its centre so that a head on a line keeps its dot in the space.
  const double cx = headCx_ + headHalfW_ + 0.55 * a - R(4);
  const double cy = headCyUp_ - R(25) + R(13) - 0.25 * a;
  if (font_ != nullptr) {
    FillCentred(painter, MusicFont::Glyph::Dot, cx, cy);
    return;
  }
  const double r = std::max(0.8, 0.2 * a);
  QPainterPath dot;
  dot.addEllipse(QPointF(cx, cy), r, r);
  painter.fillPath(dot, painter.brush());
}

void MusicGlyphs::PaintClef(QPainter& painter) const {
  const double a = a_;
  // The staff cell's top is R(15) above the top line; the clef curls round
  // the second line from the bottom.
  const QPointF gLine(StaffCell().width() * 0.5, R(15) + 3 * a + 0.5);
  if (font_ != nullptr) {
    // The font's clef rises further above the top line than the cell
    // allows; it is made as much smaller as it needs to fit.
    const QRectF box = font_->Outline(MusicFont::Glyph::TrebleClef).boundingRect();
    const double s = std::min(a, (gLine.y() - 0.5) / -box.top());
    FillGlyph(painter, MusicFont::Glyph::TrebleClef, QPointF(gLine.x() - box.center().x() * s, gLine.y()), s, s);
    return;
  }
  BrushStroke s;
  s.MoveTo({0.28, -4.4}, 0.1);
  s.CubicTo({1.0, -3.95}, {0.95, -2.75}, {-0.1, -1.9}, 0.26);
  s.CubicTo({-0.75, -1.35}, {-1.0, -0.55}, {-0.97, 0.1}, 0.16);
  s.CubicTo({-0.94, 0.75}, {-0.45, 1.14}, {0.2, 1.12}, 0.16);
  s.CubicTo({0.72, 1.1}, {1.04, 0.6}, {1.04, 0.05}, 0.4);
  s.CubicTo({1.04, -0.57}, {0.57, -0.9}, {0.05, -0.87}, 0.18);
  s.CubicTo({-0.45, -0.67}, {-0.47, 0.25}, {0.05, 0.32}, 0.1);
  // The stem, from the top down through the body into the hook.
  s.MoveTo({0.28, -4.4}, 0.1);
  s.CubicTo({0.15, -2.5}, {0.0, 0.5}, {-0.05, 2.1}, 0.17);
  s.CubicTo({-0.05, 2.6}, {-0.4, 2.75}, {-0.7, 2.55}, 0.12);
  s.Ball({-0.62, 2.28}, 0.32);
  painter.fillPath(Place(s.path(), gLine, a), painter.brush());
}

void MusicGlyphs::PaintEndMark(QPainter& painter) const {
  const QBrush ink = painter.brush();
  const double a = a_;
  // A thin and a thick bar from the top line through the bottom line, on whole pixels.
  const double top = R(15);
  const double height = 4 * a + 1;
  const double thin = std::max(1.0, std::round(0.16 * a));
  const double gap = std::max(1.0, std::round(0.35 * a));
  const double thick = std::max(2.0, std::round(0.55 * a));
  const double left = std::round(StaffCell().width() * 0.3);
  painter.fillRect(QRectF(left, top, thin, height), ink);
  painter.fillRect(QRectF(left + thin + gap, top, thick, height), ink);
}

void MusicGlyphs::FillGlyph(QPainter& painter, MusicFont::Glyph glyph, QPointF origin, double sx, double sy) const {
  QTransform t;
  t.translate(origin.x(), origin.y());
  t.scale(sx, sy);
  painter.fillPath(t.map(font_->Outline(glyph)), painter.brush());
}

void MusicGlyphs::FillCentred(QPainter& painter, MusicFont::Glyph glyph, double x, double y) const {
  const QRectF box = font_->Outline(glyph).boundingRect();
  FillGlyph(painter, glyph, QPointF(x - box.center().x() * a_, y), a_, a_);
}

void MusicGlyphs::PaintFontNote(QPainter& painter, int duration, bool stemDown) const {
  using Glyph = MusicFont::Glyph;
  const double a = a_;
  const double width = NoteCell().width();
  const double height = NoteCell().height();
  const Glyph headGlyph = duration == 0 ? Glyph::WholeHead : duration == 1 ? Glyph::HalfHead : Glyph::BlackHead;
  const QRectF headBox = font_->Outline(headGlyph).boundingRect();
  // The head is centred where our own head goes; a whole note's broader head
  // is kept inside the cell.
  const double halfWidth = headBox.width() * a / 2;
  const double centreX = duration == 0 ? std::max(headCx_, halfWidth + 0.3) : headCx_;
  const double headY = stemDown ? headCyDown_ : headCyUp_;
  const double headLeft = centreX - halfWidth;
  FillGlyph(painter, headGlyph, QPointF(headLeft - headBox.left() * a, headY), a, a);
  if (duration == 0) return;

  // The stem joins the head at its right side (up) or left side (down), on
  // whole pixels so that it stays sharp.
  const double stemWidth = std::max(1.0, std::round(0.13 * a));
  double stemLeft, stemTop, stemBottom;
  if (stemDown) {
    stemLeft = std::round(headLeft);
    stemTop = headY;
    stemBottom = height;
  } else {
    stemLeft = std::round(headLeft + 2 * halfWidth) - stemWidth;
    stemTop = 0;
    stemBottom = headY;
  }
  painter.fillRect(QRectF(stemLeft, stemTop, stemWidth, stemBottom - stemTop), painter.brush());

  if (duration < 3) return;
  // The flag hangs from the stem's free end; it is narrowed to the room
  // right of the stem and shortened to stop short of the head.
  const Glyph flag = stemDown ? (duration == 3 ? Glyph::FlagDown8 : Glyph::FlagDown16)
                              : (duration == 3 ? Glyph::FlagUp8 : Glyph::FlagUp16);
  const QRectF box = font_->Outline(flag).boundingRect();
  const QPointF root(stemLeft + stemWidth, stemDown ? height : 0.0);
  const double roomX = width - 0.3 - root.x();
  const double roomY = stemDown ? height - (headY + headHalfH_) : headY - headHalfH_;
  // At the smallest zooms there may be no room at all: no flag then.
  if (roomX <= 0 || roomY <= 0) return;
  const double sx = std::min(a, roomX / box.right());
  const double sy = std::min(a, roomY / box.height());
  FillGlyph(painter, flag, root, sx, sy);
}

void MusicGlyphs::PaintFontRest(QPainter& painter, int duration) const {
  using Glyph = MusicFont::Glyph;
  const double middleLine = R(13) + a_ + 0.5;
  const double cx = R(21) - R(12) + headCx_ - 0.1 * a_;
  static constexpr Glyph kRests[] = {Glyph::WholeRest, Glyph::HalfRest, Glyph::QuarterRest, Glyph::EighthRest,
                                     Glyph::SixteenthRest};
  // A whole rest hangs from the fourth line, the others refer to the middle line.
  FillCentred(painter, kRests[duration], cx, duration == 0 ? middleLine - a_ : middleLine);
}
