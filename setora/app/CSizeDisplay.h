// A size display of the set editor: a number of note symbols drawn centred
// on the button face in large green digits, inside a sunken frame.
#pragma once

#include <QFrame>

#include "platform/Types.h"

class CSizeDisplay : public QFrame {
  Q_OBJECT

 public:
  // The digits' colour, RGB(2, 181, 16).
  static constexpr QRgb kDigitColour = 0xFF02B510;
  // Height of the digits' font in pixels.
  static constexpr int kFontPixels = 18;

  explicit CSizeDisplay(QWidget* parent = nullptr);

  // Shows value, repainting only when it changed.
  void SetValue(LONG value);
  LONG Value() const { return value_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  LONG value_ = 0;
};
