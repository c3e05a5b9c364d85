// INote1.Draw: the note symbol paints itself under its own lock. Drawing is
// allowed while the note plays.
#include "CNote.h"
#include "StaffRenderer.h"

namespace nv {

HRESULT CNote::Draw(HDC dc, HIMAGELIST notes, HIMAGELIST selectedNotes, const COLORREF* colours, const POINT* anchor,
                    LONG scale) {
  return Run([&]() -> HRESULT {
    return StaffRenderer::DrawNote(dc, notes, selectedNotes, colours, anchor, scale,
                                   StaffRenderer::Symbol{pitch_, duration_, flags_, selected_});
  });
}

}  // namespace nv
