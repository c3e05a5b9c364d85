// A drawing surface that records every primitive with its coordinates and the
// state it was drawn in, for checking what a painter drew. Text is measured
// with a fixed cell per character of the selected RecordingFont (or of the
// default font), so layouts that depend on the title's extent are exact.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/DrawSurface.h"

namespace nv::test {

class RecordingFont : public DrawFont {
 public:
  RecordingFont(LONG charWidth, LONG height) : charWidth(charWidth), height(height) {}
  const LONG charWidth;
  const LONG height;
};

struct Primitive {
  enum Kind { kText, kLine, kImage, kFill };
  Kind kind = kLine;
  LONG x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // text and images: x0, y0 only
  COLORREF colour = 0;                  // text, line and fill colour
  int penWidth = 0;                     // lines
  HIMAGELIST list = nullptr;            // images
  int index = 0;                        // images
  UINT style = 0;                       // images
  std::u16string text;                  // text
  HFONT font = nullptr;                 // text
  int bkMode = 0;                       // text
  UINT align = 0;                       // text
};

inline std::ostream& operator<<(std::ostream& out, const Primitive& p) {
  switch (p.kind) {
    case Primitive::kText:
      return out << "text(" << p.x0 << "," << p.y0 << ")";
    case Primitive::kLine:
      return out << "line(" << p.x0 << "," << p.y0 << "-" << p.x1 << "," << p.y1 << ")";
    case Primitive::kImage:
      return out << "image#" << p.index << "(" << p.x0 << "," << p.y0 << ")";
    case Primitive::kFill:
      return out << "fill(" << p.x0 << "," << p.y0 << "-" << p.x1 << "," << p.y1 << ")";
  }
  return out;
}

class RecordingSurface : public DrawSurface {
 public:
  static constexpr LONG kDefaultCharWidth = 7;
  static constexpr LONG kDefaultHeight = 16;

  HFONT SelectFont(HFONT font) override { return std::exchange(font_, font); }
  UINT SetTextAlign(UINT align) override { return std::exchange(align_, align); }
  COLORREF SetTextColor(COLORREF colour) override { return std::exchange(textColour_, colour); }
  COLORREF SetBkColor(COLORREF colour) override { return std::exchange(bkColour_, colour); }
  int SetBkMode(int mode) override { return std::exchange(bkMode_, mode); }
  DrawPen SelectPen(const DrawPen& pen) override { return std::exchange(pen_, pen); }

  BOOL GetTextExtentPoint32(LPCWSTR text, int length, SIZE* size) override {
    if (size == nullptr || length < 0 || (text == nullptr && length > 0)) return FALSE;
    const auto* font = dynamic_cast<const RecordingFont*>(font_);
    *size = SIZE{length * (font ? font->charWidth : kDefaultCharWidth), font ? font->height : kDefaultHeight};
    return TRUE;
  }
  BOOL TextOut(int x, int y, LPCWSTR text, int length) override {
    if (length < 0 || (text == nullptr && length > 0)) return FALSE;
    Primitive p;
    p.kind = Primitive::kText;
    p.x0 = x;
    p.y0 = y;
    p.colour = textColour_;
    p.text.assign(text ? text : u"", static_cast<size_t>(length));
    p.font = font_;
    p.bkMode = bkMode_;
    p.align = align_;
    primitives.push_back(p);
    return TRUE;
  }
  BOOL MoveToEx(int x, int y, POINT* previous) override {
    if (previous != nullptr) *previous = position_;
    position_ = POINT{x, y};
    return TRUE;
  }
  BOOL LineTo(int x, int y) override {
    Primitive p;
    p.kind = Primitive::kLine;
    p.x0 = position_.x;
    p.y0 = position_.y;
    p.x1 = x;
    p.y1 = y;
    p.colour = pen_.colour;
    p.penWidth = pen_.width;
    primitives.push_back(p);
    position_ = POINT{x, y};
    return TRUE;
  }
  BOOL FillRect(const RECT* rect, COLORREF colour) override {
    if (rect == nullptr) return FALSE;
    Primitive p;
    p.kind = Primitive::kFill;
    p.x0 = rect->left;
    p.y0 = rect->top;
    p.x1 = rect->right;
    p.y1 = rect->bottom;
    p.colour = colour;
    primitives.push_back(p);
    return TRUE;
  }
  BOOL DrawImage(HIMAGELIST list, int index, int x, int y, UINT style) override {
    if (list == nullptr || index < 0 || index >= list->GetImageCount()) return FALSE;
    Primitive p;
    p.kind = Primitive::kImage;
    p.x0 = x;
    p.y0 = y;
    p.list = list;
    p.index = index;
    p.style = style;
    primitives.push_back(p);
    return TRUE;
  }

  // The primitives of one kind, in drawing order.
  std::vector<Primitive> Only(Primitive::Kind kind) const {
    std::vector<Primitive> out;
    for (const Primitive& p : primitives) {
      if (p.kind == kind) out.push_back(p);
    }
    return out;
  }

  HFONT font() const { return font_; }
  UINT align() const { return align_; }
  COLORREF textColour() const { return textColour_; }
  int bkMode() const { return bkMode_; }
  const DrawPen& pen() const { return pen_; }

  std::vector<Primitive> primitives;

 private:
  HFONT font_ = nullptr;
  UINT align_ = TA_LEFT | TA_TOP;
  COLORREF textColour_ = 0;
  COLORREF bkColour_ = RGB(255, 255, 255);
  int bkMode_ = OPAQUE;
  DrawPen pen_{PS_SOLID, 1, 0};
  POINT position_{0, 0};
};

// An image list of count blank pictures, for painters that only need indices to exist.
inline void FillBlank(ImageList& list, int count) {
  const SIZE size = list.GetIconSize();
  for (int i = 0; i < count; ++i) list.Add(std::vector<uint32_t>(static_cast<size_t>(size.cx) * size.cy, 0));
}

}  // namespace nv::test
