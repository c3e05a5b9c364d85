// A font for QtDrawSurface: a QFont handed to DrawSurface::SelectFont as an
// HFONT. Made and destroyed by the caller; it must outlive its selection.
#pragma once

#include <QFont>

#include "platform/DrawSurface.h"

class QtDrawFont : public DrawFont {
 public:
  explicit QtDrawFont(const QFont& font) : font_(font) {}

  const QFont& font() const { return font_; }

 private:
  QFont font_;
};
