#include "StaffLayout.h"

#include <cmath>
#include <limits>

namespace nv {

namespace {

// Positions are worked out in 64 bits and handed out saturated, so any note
// index or click position gives a defined answer.
LONG Saturate(long long v) {
  if (v > std::numeric_limits<LONG>::max()) return std::numeric_limits<LONG>::max();
  if (v < std::numeric_limits<LONG>::min()) return std::numeric_limits<LONG>::min();
  return static_cast<LONG>(v);
}

}  // namespace

LONG StaffLayout::Scaled(LONG scale, LONG k) {
  const double v = std::ceil(static_cast<double>(scale) * static_cast<double>(k) / 100.0 - 0.5);
  if (v >= static_cast<double>(std::numeric_limits<LONG>::max())) return std::numeric_limits<LONG>::max();
  if (v <= static_cast<double>(std::numeric_limits<LONG>::min())) return std::numeric_limits<LONG>::min();
  return static_cast<LONG>(v);
}

LONG StaffLayout::Rows(LONG count) {
  if (count <= 0) return 1;
  return static_cast<LONG>((static_cast<long long>(count) + kColumns - 1) / kColumns);
}

bool StaffLayout::IsBlackKey(LONG pitch) {
  if (pitch < 0 || pitch >= PITCH_COUNT) return false;
  // Pitch 0 is G sharp; the pattern of black keys repeats every octave from there.
  constexpr bool kBlack[12] = {true, false, true, false, false, true, false, true, false, false, true, false};
  return kBlack[pitch % 12];
}

StaffLayout::StaffLayout(LONG scale)
    : scale_(scale), lineStep_(Scaled(scale, 9)), cellWidth_(Scaled(scale, 45)), margin_(Scaled(scale, 24)) {}

LONG StaffLayout::PitchOffset(LONG pitch) const {
  // d(p) = h * dh + a * da - b * db with h = R(4), a = R(9), b = R(25). A
  // sharp shares the place of the natural below it. Up to pitch 14 the stem
  // points up and the anchor lies b above the head's place, so that the
  // glyph's cell holds the stem.
  struct Steps {
    signed char dh, da, db;
  };
  static constexpr Steps kSteps[PITCH_COUNT] = {
      {1, 6, 1},  {0, 6, 1},   {0, 6, 1},   {1, 5, 1},  {0, 5, 1},   {0, 5, 1},   {1, 4, 1},  {1, 4, 1},
      {0, 4, 1},  {1, 3, 1},   {1, 3, 1},   {0, 3, 1},  {0, 3, 1},   {1, 2, 1},   {1, 2, 1},  {-1, 2, 0},
      {0, 1, 0},  {0, 1, 0},   {-1, 1, 0},  {-1, 1, 0}, {0, 0, 0},   {-1, 0, 0},  {-1, 0, 0}, {0, -1, 0},
      {0, -1, 0}, {-1, -1, 0}, {-1, -1, 0}, {0, -2, 0}, {-1, -2, 0}, {-1, -2, 0}, {0, -3, 0}, {0, -3, 0},
  };
  if (pitch < 0 || pitch >= PITCH_COUNT) return 0;
  const Steps& s = kSteps[pitch];
  return Saturate(static_cast<long long>(R(4)) * s.dh + static_cast<long long>(lineStep_) * s.da -
                  static_cast<long long>(R(25)) * s.db);
}

LONG StaffLayout::TopLine(LONG top, LONG row) const {
  return Saturate(static_cast<long long>(top) + (10LL * row + 8) * lineStep_);
}

LONG StaffLayout::StaffWidth() const {
  return Saturate(14LL * cellWidth_);
}

POINT StaffLayout::Anchor(LONG index, LONG pitch, LONG flags, LONG top) const {
  const long long row = index / kColumns;
  const long long column = index % kColumns;
  const long long left = column * cellWidth_ + cellWidth_ + margin_;
  if ((flags & FLAG_REST) != 0) {
    return POINT{Saturate(left + R(12)), Saturate(top + (10 * row + 10) * lineStep_ - R(13))};
  }
  return POINT{Saturate(left + R(21)), Saturate(top + (10 * row + 8) * lineStep_ + PitchOffset(pitch))};
}

LONG StaffLayout::CellAt(LONG x, LONG y, LONG top) const {
  if (lineStep_ <= 0 || cellWidth_ <= 0) return -1;
  // Both divisions truncate towards zero, so the half cell above the first
  // row and left of the first column still count as row 0 and column 0;
  // the note's own hit cell decides there.
  const long long row = (static_cast<long long>(y) - top - 5LL * lineStep_) / (10LL * lineStep_);
  if (row < 0) return -1;
  const long long column = (static_cast<long long>(x) - margin_ - cellWidth_) / cellWidth_;
  if (column < 0 || column >= kColumns) return -1;
  const long long index = column + kColumns * row;
  if (index > std::numeric_limits<LONG>::max()) return -1;
  return static_cast<LONG>(index);
}

bool StaffLayout::InHitCell(POINT anchor, LONG x, LONG y) const {
  const long long dx = static_cast<long long>(x) - anchor.x;
  const long long dy = static_cast<long long>(y) - anchor.y;
  return dx >= 0 && dx < R(21) && dy >= 0 && dy < R(31);
}

LONG StaffLayout::HitTest(LONG x, LONG y, LONG top, LONG count, const NoteAt& noteAt) const {
  const LONG cell = CellAt(x, y, top);
  if (cell < 0 || !noteAt) return -1;
  // The cell of the lowest notes reaches a pixel or two into the band of the
  // row below, so the same column one row up is tried too: a click on any
  // part of a note's cell selects it.
  for (const LONG index : {cell, cell - kColumns}) {
    if (index < 0 || index >= count) continue;
    INote1* note = noteAt(index);
    SHORT pitch = 0;
    SHORT flags = 0;
    if (note == nullptr || FAILED(note->GetPitch(&pitch)) || FAILED(note->GetFlags(&flags))) continue;
    if (InHitCell(Anchor(index, pitch, flags, top), x, y)) return index;
  }
  return -1;
}

}  // namespace nv
