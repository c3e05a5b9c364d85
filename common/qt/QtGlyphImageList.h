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
// (0 treble clef, 1 final double bar). Rebuild the lists when the zoom, a
// colour or the screen's pixel ratio changes; drawing only reads them, from
// any thread. Needs a QGuiApplication.
//
// For a screen of several device pixels per pixel the pictures are drawn
// that many times larger (ratio 2: 42 by 62 pictures for a 21 by 31 cell) and
// the list says so, so that a surface on an image of that ratio puts one
// picture pixel on each device pixel.
//
// Paper, vector files and print previews need no pixels: the list paints the
// same glyphs there as shapes (PaintShapes), sharp at any resolution.
#pragma once

#include <QPoint>

#include "MusicFont.h"
#include "MusicGlyphs.h"
#include "platform/DrawSurface.h"

class QPainter;

class QtGlyphImageList : public ImageList {
 public:
  enum class Kind { Notes, Staff };

  // scale in percent (values below 1 are taken as 1); ink as 0x00BBGGRR;
  // ratio device pixels per pixel (below 1 taken as 1); font null for our
  // own glyph drawings, else it must outlive the list.
  QtGlyphImageList(Kind kind, COLORREF ink, LONG scale, double ratio = 1.0, const MusicFont* font = nullptr);

  // Paints picture index as the shapes it was drawn from, its cell's top
  // left corner at `at` in painter's coordinates and clipped to the cell, in
  // the list's ink. The painter's state is as before afterwards. False (and
  // nothing painted) for an index the list does not hold.
  bool PaintShapes(QPainter& painter, int index, QPoint at) const;

 private:
  Kind kind_;
  COLORREF ink_;
  MusicGlyphs glyphs_;
};
