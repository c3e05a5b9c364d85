// The glyphs of an engraving font, read once from its OpenType file by their
// names and kept as outlines, so the staff glyphs can take their shapes from
// printed music rather than from our own vector drawings. Outlines are in
// staff spaces (the distance of two staff lines), y growing downwards, with
// the font's own origin: a note head's centre line, a flag's stem end, a
// clef's line, a rest's reference line.
//
// Once loaded the font is only read, from any thread.
#pragma once

#include <QPainterPath>
#include <QString>
#include <array>
#include <memory>

class MusicFont {
 public:
  enum class Glyph {
    WholeHead,
    HalfHead,
    BlackHead,
    FlagUp8,
    FlagUp16,
    FlagDown8,
    FlagDown16,
    WholeRest,
    HalfRest,
    QuarterRest,
    EighthRest,
    SixteenthRest,
    Sharp,
    Dot,
    TrebleClef,
  };
  static constexpr int kGlyphCount = 15;

  // The font's glyph names, indexed by Glyph.
  static const char* GlyphName(Glyph glyph);

  // Reads every glyph from the file at path, whose em is one staff height
  // (four staff spaces). Null when the file cannot be read as a font or lacks
  // one of the glyphs.
  static std::unique_ptr<MusicFont> Load(const QString& path);

  // The file the programs draw with: NV_MUSIC_FONT when that is set (empty
  // means none), else emmentaler-20.otf of the newest version found under
  // /usr/share/lilypond. Empty when there is none.
  static QString InstalledPath();

  // The font at InstalledPath(), loaded at the first call; null when the
  // file is missing or unusable. Lives until the process ends.
  static const MusicFont* Installed();

  // The notice once the staff is drawn with our own glyphs for want of the
  // installed font; empty when the font is in use.
  static QString Notice();

  const QPainterPath& Outline(Glyph glyph) const { return outlines_[static_cast<size_t>(glyph)]; }

 private:
  MusicFont() = default;

  std::array<QPainterPath, kGlyphCount> outlines_;
};
