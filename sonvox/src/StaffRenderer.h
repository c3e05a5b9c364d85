// Paints a melody on a treble staff through a drawing surface: the title,
// one five-line staff per row of twelve note symbols with a clef at its
// start, every note symbol and the end mark after the last one. Glyphs come
// from the caller's image lists; only lines and the title text are drawn
// here. Geometry is StaffLayout's.
#pragma once

#include "StaffLayout.h"
#include "platform/DrawSurface.h"
#include "sonvox/Sonvox.h"

namespace nv {

class StaffRenderer {
 public:
  // The caller's glyphs. Staff list: 0 clef, 1 end mark. Note lists (plain
  // and selected): 0..4 notes with the stem up, 5..9 with the stem down (both
  // whole to sixteenth), 10 sharp, 11..15 rests, 16 dot. A null list, or one
  // lacking an index, leaves that glyph out.
  struct Images {
    HIMAGELIST staff = nullptr;
    HIMAGELIST notes = nullptr;
    HIMAGELIST selectedNotes = nullptr;
  };

  // What a note symbol paints itself from.
  struct Symbol {
    LONG pitch = 11;
    LONG duration = DURATION_EIGHTH;
    LONG flags = 0;
    LONG selected = 0;  // 0 plain glyphs, 1 selected glyphs, other values no glyph
  };

  // Gives the note symbol at index, borrowed; null skips it.
  using NoteAt = StaffLayout::NoteAt;

  // Paints everything that meets clip. clip is in layout coordinates and the
  // surface's origin is clip's top-left corner. colours[0] is the title
  // colour, colours[1] the colour of staff and ledger lines. Each note symbol
  // paints itself through INote1::Draw with its anchor in surface
  // coordinates. The surface's font, text settings and pen are restored.
  // Returns S_OK; E_POINTER when dc, colours or clip is null; E_INVALIDARG
  // for a scale outside StaffLayout's range or a negative name length.
  static HRESULT DrawMelody(HDC dc, const Images& images, const COLORREF* colours, const RECT* clip, HFONT font,
                            LONG scale, const WCHAR* name, int nameLength, LONG count, const NoteAt& noteAt);

  // Paints one note symbol at anchor (surface coordinates): ledger lines,
  // sharp, the note or rest glyph and the dot. Returns S_OK; E_POINTER when
  // dc, colours or anchor is null; E_INVALIDARG for a scale out of range.
  static HRESULT DrawNote(HDC dc, HIMAGELIST notes, HIMAGELIST selectedNotes, const COLORREF* colours,
                          const POINT* anchor, LONG scale, const Symbol& symbol);
};

}  // namespace nv
