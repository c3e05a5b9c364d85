#include "CSizeDisplay.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

QFont DigitFont() {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(CSizeDisplay::kFontPixels);
  font.setWeight(QFont::Normal);
  return font;
}

}  // namespace

CSizeDisplay::CSizeDisplay(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CSizeDisplay::SetValue(LONG value) {
  if (value == value_) return;
  value_ = value;
  update();
}

QSize CSizeDisplay::sizeHint() const {
  const QFontMetrics metrics(DigitFont());
  const int frame = 2 * frameWidth();
  return {metrics.horizontalAdvance(QStringLiteral("0000000")) + frame, metrics.height() + 10 + frame};
}

void CSizeDisplay::paintEvent(QPaintEvent* event) {
  {
    QPainter painter(this);
    painter.fillRect(contentsRect(), palette().color(QPalette::Button));
    painter.setFont(DigitFont());
    painter.setPen(QColor::fromRgb(kDigitColour));
    painter.drawText(contentsRect(), Qt::AlignCenter, QString::number(value_));
  }
  QFrame::paintEvent(event);
}
