// Geometry of the staff drawing at one zoom scale: every length is a design
// length at 100 % scaled by R(k) = ceil(scale * k / 100 - 0.5). Note symbols
// sit in rows of twelve cells after the clef cell; a row is ten staff-line
// steps high and its top line lies eight steps below the row's top. The same
// geometry serves painting, the editor's scrolling and mouse hit testing.
#pragma once

#include <functional>

#include "sonvox/Sonvox.h"

namespace nv {

class StaffLayout {
 public:
  // Scales outside this range (in percent) are refused by the drawing
  // operations: beyond it the pixel arithmetic would overflow 32 bits.
  static constexpr LONG kMinScale = 1;
  static constexpr LONG kMaxScale = 10000;
  static constexpr LONG kColumns = 12;

  static bool IsValidScale(LONG scale) { return scale >= kMinScale && scale <= kMaxScale; }

  // R(k) at scale, computed in double precision; saturates at the LONG range.
  static LONG Scaled(LONG scale, LONG k);

  // Number of staff rows a melody of count symbols takes: ceil(count / 12), at least 1.
  static LONG Rows(LONG count);

  // Whether pitch index p is written as the natural below it with a sharp.
  static bool IsBlackKey(LONG pitch);

  // Vertical offset d(p) of a note's anchor from its row's top line, at this scale.
  LONG PitchOffset(LONG pitch) const;

  explicit StaffLayout(LONG scale);

  LONG R(LONG k) const { return Scaled(scale_, k); }
  LONG Scale() const { return scale_; }
  LONG LineStep() const { return lineStep_; }    // R(9)
  LONG CellWidth() const { return cellWidth_; }  // R(45)
  LONG Margin() const { return margin_; }        // R(24)

  // y of the top staff line of row, with top the caller's vertical origin.
  LONG TopLine(LONG top, LONG row) const;

  // Left edge of the staff and its width (fourteen cells).
  LONG StaffLeft() const { return margin_; }
  LONG StaffWidth() const;

  // Anchor of note symbol index (a rest when flags has the rest bit).
  POINT Anchor(LONG index, LONG pitch, LONG flags, LONG top) const;

  // The note symbol whose cell in the grid of rows and columns contains
  // (x, y): the index from the row and column, or -1 above the first row,
  // left of the first note column or right of the twelfth. The caller checks
  // the index against the count and the note's own hit cell.
  LONG CellAt(LONG x, LONG y, LONG top) const;

  // Whether (x, y) lies in the hit cell at anchor: R(21) wide, R(31) high,
  // right and bottom edges excluded.
  bool InHitCell(POINT anchor, LONG x, LONG y) const;

  // Gives the note symbol at index, borrowed; null when there is none.
  using NoteAt = std::function<INote1*(LONG index)>;

  // The note symbol of a melody of count symbols whose hit cell contains
  // (x, y), or -1: the grid cell decides which symbol is a candidate (and
  // the one above it, whose low notes reach into this cell), then the
  // symbol's own hit cell at its anchor must contain the point.
  LONG HitTest(LONG x, LONG y, LONG top, LONG count, const NoteAt& noteAt) const;

  // Size of a note's hit cell: R(21) by R(31).
  SIZE NoteSize() const { return SIZE{R(21), R(31)}; }

 private:
  LONG scale_;
  LONG lineStep_;
  LONG cellWidth_;
  LONG margin_;
};

}  // namespace nv
