// Vector drawings of the staff glyphs, made at one zoom scale so that they
// sit on the staff lines the melody's painting draws at that scale. Each
// glyph fills its cell's shape with the painter's brush; the caller chooses
// colour and background. The note cell (R(21) by R(31), R(k) the scaled
// design length) holds, by index: 0..4 whole to sixteenth note with the stem
// up, 5..9 the same with the stem down, 10 sharp, 11..15 whole to sixteenth
// rest, 16 augmentation dot. The staff cell (R(35) by R(69)) holds 0 the
// treble clef and 1 the final double bar.
//
// Where the painting puts each cell (relative to a note's anchor) fixes where
// the ink must go inside it: a stem-up head lies about R(25) below the cell's
// top, a stem-down head at the top, the clef's and bar's staff lines R(15)
// below the top of the staff cell, and so on; the metrics below follow those
// placements for every scale.
//
// Given a music font, notes, rests, the sharp, the dot and the clef take the
// font's shapes instead, centred on the same points and scaled to the same
// staff; a shape that would overrun its cell is narrowed or shortened to fit.
#pragma once

#include <QPainter>
#include <QPainterPath>
#include <QSize>

#include "MusicFont.h"
#include "platform/Types.h"

class MusicGlyphs {
 public:
  static constexpr int kNoteGlyphCount = 17;
  static constexpr int kStaffGlyphCount = 2;

  // ceil(scale * v / 100 - 0.5), as every length of the staff drawing.
  static LONG Scaled(LONG scale, LONG v);

  // scale in percent; values below 1 are taken as 1. font (may be null for
  // our own drawings) must outlive the glyphs.
  explicit MusicGlyphs(LONG scale, const MusicFont* font = nullptr);

  QSize NoteCell() const;
  QSize StaffCell() const;

  // Paints glyph index of the note cell with the painter's brush; other indices paint nothing.
  void PaintNoteGlyph(QPainter& painter, int index) const;
  // Paints glyph index of the staff cell; other indices paint nothing.
  void PaintStaffGlyph(QPainter& painter, int index) const;

 private:
  double R(LONG v) const { return static_cast<double>(Scaled(scale_, v)); }

  void PaintNote(QPainter& painter, int duration, bool stemDown) const;
  void PaintRest(QPainter& painter, int duration) const;
  void PaintSharp(QPainter& painter) const;
  void PaintDot(QPainter& painter) const;
  void PaintClef(QPainter& painter) const;
  void PaintEndMark(QPainter& painter) const;

  // The font's shapes, where the drawings above would go.
  void PaintFontNote(QPainter& painter, int duration, bool stemDown) const;
  void PaintFontRest(QPainter& painter, int duration) const;
  // Fills glyph with its origin at origin, sx and sy pixels per staff space.
  void FillGlyph(QPainter& painter, MusicFont::Glyph glyph, QPointF origin, double sx, double sy) const;
  // Fills glyph centred horizontally on x with its origin's y at y, one staff space a_ pixels.
  void FillCentred(QPainter& painter, MusicFont::Glyph glyph, double x, double y) const;

  LONG scale_;
  const MusicFont* font_;
  double a_;       // staff line step in pixels
  double headRx_;  // note head radii before its tilt
  double headRy_;
  double headHalfW_;  // half the tilted head's bounding box
  double headHalfH_;
  double headCx_;  // head centre in the note cell
  double headCyUp_;
  double headCyDown_;
};
