// The drawing layer the components paint through: a surface standing in for a
// device context (selected font, text colour and alignment, background mode,
// pen, current position), opaque fonts made by the caller, and image lists of
// equally sized pictures with transparency. Coordinates are device pixels with
// the origin at the surface's top-left corner; the surface clips to its own
// bounds, so anything may be drawn anywhere.
//
// Header-only: implementations live with their users (the programs paint into
// a QImage, tests record the calls).
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/Types.h"

// Background modes of text output.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Text alignment: horizontal (left, right, centre) and vertical (top, bottom,
// baseline) reference of the point given to TextOut.
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_NULL = 5;

// Image drawing styles: plain draws the list's background colour under the
// picture unless it is CLR_NONE; transparent leaves the surface showing
// through wherever the picture is transparent.
constexpr UINT ILD_NORMAL = 0;
constexpr UINT ILD_TRANSPARENT = 1;

// "No colour" for an image list's background.
constexpr COLORREF CLR_NONE = 0xFFFFFFFF;

// A pen: style, width in pixels (0 and 1 both mean one pixel) and colour.
struct DrawPen {
  int style = PS_SOLID;
  int width = 1;
  COLORREF colour = 0;

  friend bool operator==(const DrawPen&, const DrawPen&) = default;
};

// A font made by the caller for its surface implementation. A surface given
// a font of another implementation (or null) uses its default font.
class DrawFont {
 public:
  DrawFont() = default;
  DrawFont(const DrawFont&) = delete;
  DrawFont& operator=(const DrawFont&) = delete;
  virtual ~DrawFont() = default;
};

// Pictures of one cell size, added in order and addressed by index. Each is
// stored as cx * cy premultiplied 32-bit words 0xAARRGGBB, row by row; alpha
// 0 is transparent. A list made for a screen with several device pixels per
// surface pixel holds its pictures at that pixel ratio: a surface draws them
// cx / ratio by cy / ratio of its own pixels large. Not thread-safe for
// changes; drawing only reads.
class ImageList {
 public:
  // A list whose pictures are cx by cy pixels; negative sizes become 0, a
  // ratio below 1 (or not a number) becomes 1.
  ImageList(int cx, int cy, double ratio = 1.0)
      : cx_(cx > 0 ? cx : 0), cy_(cy > 0 ? cy : 0), ratio_(ratio >= 1.0 ? ratio : 1.0) {}
  ImageList(const ImageList&) = delete;
  ImageList& operator=(const ImageList&) = delete;
  virtual ~ImageList() = default;

  // Appends a picture; returns its index, or -1 when pixels does not hold
  // exactly cx * cy words (the list is then unchanged).
  int Add(std::vector<uint32_t> pixels) {
    if (pixels.size() != static_cast<size_t>(cx_) * static_cast<size_t>(cy_)) return -1;
    images_.push_back(std::move(pixels));
    return static_cast<int>(images_.size() - 1);
  }

  int GetImageCount() const { return static_cast<int>(images_.size()); }

  // The cell size (cx, cy), in the pictures' own pixels.
  SIZE GetIconSize() const { return SIZE{cx_, cy_}; }

  // Picture pixels per surface pixel, 1 or more.
  double PixelRatio() const { return ratio_; }

  // The pixels of picture index; null when index is out of range.
  const uint32_t* Bits(int index) const {
    if (index < 0 || index >= GetImageCount()) return nullptr;
    return images_[static_cast<size_t>(index)].data();
  }

  // Background drawn under a picture in the plain style; CLR_NONE (the
  // default) draws plain pictures transparently. Returns the previous colour.
  COLORREF SetBkColor(COLORREF colour) { return std::exchange(bkColour_, colour); }
  COLORREF GetBkColor() const { return bkColour_; }

 private:
  int cx_;
  int cy_;
  double ratio_;
  COLORREF bkColour_ = CLR_NONE;
  std::vector<std::vector<uint32_t>> images_;
};

// A device context. Every setter returns the previous value so callers can
// restore it. Drawing calls return FALSE on bad arguments (null text with a
// positive length, an image list that is null or lacks the index) and draw
// nothing then.
class DrawSurface {
 public:
  DrawSurface() = default;
  DrawSurface(const DrawSurface&) = delete;
  DrawSurface& operator=(const DrawSurface&) = delete;
  virtual ~DrawSurface() = default;

  // Null selects the surface's default font.
  virtual HFONT SelectFont(HFONT font) = 0;
  virtual UINT SetTextAlign(UINT align) = 0;
  virtual COLORREF SetTextColor(COLORREF colour) = 0;
  virtual COLORREF SetBkColor(COLORREF colour) = 0;
  virtual int SetBkMode(int mode) = 0;
  virtual DrawPen SelectPen(const DrawPen& pen) = 0;

  // Width and line height of the first length characters in the selected
  // font; an empty text has width 0 and the font's line height.
  virtual BOOL GetTextExtentPoint32(LPCWSTR text, int length, SIZE* size) = 0;
  // Draws text at (x, y) by the text alignment, in the text colour; in the
  // opaque mode its extent is filled with the background colour first.
  virtual BOOL TextOut(int x, int y, LPCWSTR text, int length) = 0;

  // Sets the current position; the previous one goes to previous (may be null).
  virtual BOOL MoveToEx(int x, int y, POINT* previous) = 0;
  // Draws from the current position to (x, y) with the selected pen, the end
  // pixel excluded, and makes (x, y) the current position.
  virtual BOOL LineTo(int x, int y) = 0;

  // Fills rect (right and bottom edges excluded) with colour.
  virtual BOOL FillRect(const RECT* rect, COLORREF colour) = 0;

  // Draws picture index of list with its top-left corner at (x, y).
  virtual BOOL DrawImage(HIMAGELIST list, int index, int x, int y, UINT style) = 0;
};

// The intersection of a and b into out (may be null); TRUE when it is not
// empty, else out is all zeros. Right and bottom edges are outside a rectangle.
inline BOOL IntersectRect(RECT* out, const RECT* a, const RECT* b) {
  RECT r{a->left > b->left ? a->left : b->left, a->top > b->top ? a->top : b->top,
         a->right < b->right ? a->right : b->right, a->bottom < b->bottom ? a->bottom : b->bottom};
  const bool empty = r.left >= r.right || r.top >= r.bottom;
  if (out != nullptr) *out = empty ? RECT{0, 0, 0, 0} : r;
  return empty ? FALSE : TRUE;
}

// The platform's name for drawing an image of a list onto a surface.
inline BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style) {
  return dc != nullptr ? dc->DrawImage(list, index, x, y, style) : FALSE;
}
