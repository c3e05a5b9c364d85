// The drawing surface of the programs: paints into a QImage, so the document
// thread can draw while the user-interface thread shows the result. Pixels
// come out as the platform's device context gives them: lines without
// smoothing, the end pixel of a line left out, text anchored by the text
// alignment. Fonts are QtDrawFont; any image list can be drawn.
//
// An image with a device pixel ratio above 1 (a screen of two device pixels
// per pixel, say) is drawn in its logical pixels: coordinates, lengths and
// pen widths stay as at ratio 1 and come out ratio times as many device
// pixels; text is drawn at the device resolution and image lists of the same
// pixel ratio one picture pixel per device pixel.
//
//   QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
//   QtDrawSurface surface(&image);      // paints until destroyed
//   surface.FillRect(&all, background);
//   melody->Draw(&surface, ...);
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "platform/DrawSurface.h"

class QtDrawSurface : public DrawSurface {
 public:
  // Begins painting on image, which must outlive the surface and stay
  // unpainted by anything else meanwhile. With a null or empty image the
  // surface is inactive and every drawing call returns FALSE.
  explicit QtDrawSurface(QImage* image);
  // Paints through painter, already active on any device (a printer, a PDF
  // or SVG writer, a preview's recorder) and perhaps transformed, with the
  // painter's own render hints; its state is saved here and restored at
  // destruction. With an inactive painter the surface is inactive.
  explicit QtDrawSurface(QPainter& painter);
  ~QtDrawSurface() override;

  bool isActive() const { return painter_.isActive(); }

  HFONT SelectFont(HFONT font) override;
  UINT SetTextAlign(UINT align) override;
  COLORREF SetTextColor(COLORREF colour) override;
  COLORREF SetBkColor(COLORREF colour) override;
  int SetBkMode(int mode) override;
  DrawPen SelectPen(const DrawPen& pen) override;
  BOOL GetTextExtentPoint32(LPCWSTR text, int length, SIZE* size) override;
  BOOL TextOut(int x, int y, LPCWSTR text, int length) override;
  BOOL MoveToEx(int x, int y, POINT* previous) override;
  BOOL LineTo(int x, int y) override;
  BOOL FillRect(const RECT* rect, COLORREF colour) override;
  BOOL DrawImage(HIMAGELIST list, int index, int x, int y, UINT style) override;

  static QColor ToQColor(COLORREF colour);

 private:
  const QFont& CurrentFont() const;
  QFontMetrics Metrics() const;

  QPainter ownPainter_;
  QPainter& painter_;  // ownPainter_, or the caller's
  bool borrowed_ = false;
  QFont defaultFont_;
  HFONT font_ = nullptr;
  UINT align_ = TA_LEFT | TA_TOP;
  COLORREF textColour_ = RGB(0, 0, 0);
  COLORREF bkColour_ = RGB(255, 255, 255);
  int bkMode_ = OPAQUE;
  DrawPen pen_{PS_SOLID, 1, RGB(0, 0, 0)};
  POINT position_{0, 0};
};
