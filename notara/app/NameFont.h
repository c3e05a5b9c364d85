// The melody-name font: between the stored single-byte logical-font record
// and Qt fonts. The record's height is a character height in pixels when
// negative (a cell height when positive); weight 400 is normal, 700 bold;
// character set 204 is Cyrillic. "Arial" resolves through fontconfig to a
// face with Arial's metrics.
#pragma once

#include <QFont>

#include "CAppSetting.h"

class NameFont {
 public:
  // The font at zoom 100.
  static QFont ToQFont(const LogFontA& record);
  // The font as the view draws it: height replaced by scaled(|height|)
  // pixels for the zoom.
  static QFont Scaled(const LogFontA& record, LONG zoom);
  // A record for font, keeping base's fields Qt has no notion of (output
  // and clip precision, quality, pitch and family, character set).
  static LogFontA FromQFont(const QFont& font, const LogFontA& base);
};
