// The glyphs of the staff view, drawn as vector shapes straight at the cell
// size in one ink colour on a transparent ground, so they stay sharp at
// every zoom.
//
// Note cells are 21 × 31 design pixels. A note of pitch index 0 to 14 has
// its head centred 25 pixels below the cell's top with the stem up; 15 to
// 31 have it 4 pixels below the top with the stem down; the head's centre
// lies 5.5 pixels right of the cell's left edge, under the middle of the
// ledger lines. Staff images are 35 × 69 with the staff's top line 15
// pixels below their top.
#pragma once

#include <QColor>
#include <memory>

class ImageList;

class NoteGlyphs {
 public:
  // Indices of the note list.
  enum NoteImage : int {
    kWholeUp = 0,    // 0..4: whole to sixteenth, pitch indices 0..14
    kWholeDown = 5,  // 5..9: the same for pitch indices 15..31
    kSharp = 10,
    kWholeRest = 11,  // 11..15: rests, whole to sixteenth
    kDot = 16,
    kNoteImageCount = 17,
  };
  enum StaffImage : int { kClef = 0, kEndMark = 1, kStaffImageCount = 2 };

  static constexpr int kNoteWidth = 21;
  static constexpr int kNoteHeight = 31;
  static constexpr int kStaffWidth = 35;
  static constexpr int kStaffHeight = 69;

  // The 17 note glyphs at cell size width × height in ink; null when the
  // size is not positive.
  static std::unique_ptr<ImageList> Notes(int width, int height, const QColor& ink);
  // The clef and the final double bar at cell size width × height.
  static std::unique_ptr<ImageList> Staff(int width, int height, const QColor& ink);
};
