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

CSizeDisplay::CSizeDisplay(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CSizeDisplay::SetValue(LONG value) {
  if (value == value_) return;
  value_ = value;
  update();
}

QSize CSizeDisplay::sizeHint() const {
  const QFontMetrics metrics(DigitFont());
  return {metrics.horizontalAdvance(QStringLiteral("0000000")), metrics.height() + 8};
}

void CSizeDisplay::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Button));
  painter.setFont(DigitFont());
  painter.setPen(QColor::fromRgb(kDigitColour));
  painter.drawText(rect(), Qt::AlignCenter, QString::number(value_));
}
