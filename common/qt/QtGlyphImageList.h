// The image lists of the staff view, drawn from MusicGlyphs in one ink
// colour on a transparent background at one zoom scale:
//
//   QtGlyphImageList notes(QtGlyphImageList::Kind::Notes, noteColour, zoom);
//   QtGlyphImageList selected(QtGlyphImageList::Kind::Notes, selectedColour, zoom);
//   QtGlyphImageList staff(QtGlyphImageList::Kind::Staff, noteColour, zoom);
//   melody->Draw(&surface, &staff, &notes, &selected, colours, &clip, &font, zoom);
//
// Notes: 17 pictures of R(21) by R(31) pixels (0..4 notes stem up, 5..9 stem
// down, 10 sharp, 11..15 rests, 16 dot); staff: 2 pictures of R(35) by R(69)
// (0 treble clef, 1 final double bar). Rebuild the lists when the zoom or a
// colour changes; drawing only reads them, from any thread. Needs a
// QGuiApplication.
#pragma once

#include "platform/DrawSurface.h"

class QtGlyphImageList : public ImageList {
 public:
  enum class Kind { Notes, Staff };

  // scale in percent (values below 1 are taken as 1); ink as 0x00BBGGRR.
  QtGlyphImageList(Kind kind, COLORREF ink, LONG scale);
};
