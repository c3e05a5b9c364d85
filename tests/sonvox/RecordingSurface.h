// A drawing surface that records every primitive with its coordinates and the
// state it was drawn in. Text is measured as kCharWidth per character and
// kHeight high, so layouts hanging from the title's extent are exact.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/DrawSurface.h"

namespace nv::test {

struct Primitive {
  enum Kind { kText, kLine, kImage };
  Kind kind = kLine;
  LONG x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // text and images: x0, y0 only
  COLORREF colour = 0;                  // text and line colour
  int penWidth = 0;
  HIMAGELIST list = nullptr;
  int index = 0;
  UINT style = 0;
  std::u16string text{};
  int bkMode = 0;
};

class RecordingSurface : public DrawSurface {
 public:
  static constexpr LONG kCharWidth = 7;
  static constexpr LONG kHeight = 16;

  HFONT SelectFont(HFONT font) override { return std::exchange(font_, font); }
  UINT SetTextAlign(UINT align) override { return std::exchange(align_, align); }
  COLORREF SetTextColor(COLORREF colour) override { return std::exchange(textColour_, colour); }
  COLORREF SetBkColor(COLORREF colour) override { return std::exchange(bkColour_, colour); }
  int SetBkMode(int mode) override { return std::exchange(bkMode_, mode); }
  DrawPen SelectPen(const DrawPen& pen) override { return std::exchange(pen_, pen); }

  BOOL GetTextExtentPoint32(LPCWSTR text, int length, SIZE* size) override {
    if (size == nullptr || length < 0 || (text == nullptr && length > 0)) return FALSE;
    *size = SIZE{length * kCharWidth, kHeight};
    return TRUE;
  }
  BOOL TextOut(int x, int y, LPCWSTR text, int length) override {
    if (length < 0 || (text == nullptr && length > 0)) return FALSE;
    Primitive p{.kind = Primitive::kText, .x0 = x, .y0 = y, .colour = textColour_};
    p.text.assign(text ? text : u"", static_cast<size_t>(length));
    p.bkMode = bkMode_;
    primitives.push_back(p);
    return TRUE;
  }
  BOOL MoveToEx(int x, int y, POINT* previous) override {
    if (previous != nullptr) *previous = position_;
    position_ = POINT{x, y};
    return TRUE;
  }
  BOOL LineTo(int x, int y) override {
    primitives.push_back(Primitive{.kind = Primitive::kLine,
                                   .x0 = position_.x,
                                   .y0 = position_.y,
                                   .x1 = x,
                                   .y1 = y,
                                   .colour = pen_.colour,
                                   .penWidth = pen_.width});
    position_ = POINT{x, y};
    return TRUE;
  }
  BOOL FillRect(const RECT* r, COLORREF) override { return r != nullptr; }
  BOOL DrawImage(HIMAGELIST list, int index, int x, int y, UINT style) override {
    if (list == nullptr || list->Bits(index) == nullptr) return FALSE;
    primitives.push_back(
        Primitive{.kind = Primitive::kImage, .x0 = x, .y0 = y, .list = list, .index = index, .style = style});
    return TRUE;
  }

  // The primitives of one kind (and, for images, of one list), in drawing order.
  std::vector<Primitive> Only(Primitive::Kind kind, HIMAGELIST list = nullptr) const {
    std::vector<Primitive> out;
    for (const Primitive& p : primitives) {
      if (p.kind == kind && (list == nullptr || p.list == list)) out.push_back(p);
    }
    return out;
  }

  // Whether everything a painter changed has been put back.
  bool StateRestored() const {
    return font_ == nullptr && align_ == TA_LEFT && textColour_ == 0 && bkMode_ == OPAQUE &&
           pen_ == DrawPen{PS_SOLID, 1, 0};
  }

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

// An image list of count blank pictures, for painters that only need the indices to exist.
inline void FillBlank(ImageList& list, int count) {
  const SIZE size = list.GetIconSize();
  for (int i = 0; i < count; ++i) list.Add(std::vector<uint32_t>(static_cast<size_t>(size.cx) * size.cy, 0));
}

}  // namespace nv::test
