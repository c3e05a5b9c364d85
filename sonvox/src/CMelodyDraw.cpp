// The melody's painting and hit geometry: IMelody.Draw, GetNotePosition,
// SelectAt and GetNoteSize. Every method holds the melody's lock for its whole
// body; painting a note takes that note's lock inside it, so painting may run
// while the playback thread moves the current note.
#include "CMelody.h"
#include "StaffLayout.h"
#include "StaffRenderer.h"

namespace nv {

HRESULT CMelody::Draw(HDC dc, HIMAGELIST staff, HIMAGELIST notes, HIMAGELIST selectedNotes, const COLORREF* colours,
                      const RECT* clip, HFONT font, LONG scale) {
  return Run([&]() -> HRESULT {
    return StaffRenderer::DrawMelody(dc, {staff, notes, selectedNotes}, colours, clip, font, scale, name_.data(),
                                     static_cast<int>(name_.size()), Count(),
                                     [this](LONG i) { return notes_[static_cast<size_t>(i)]; });
  });
}

HRESULT CMelody::GetNotePosition(LONG index, LONG scale, LONG top, POINT* out) {
  return Run([&]() -> HRESULT {
    if (out == nullptr) return E_POINTER;
    if (!StaffLayout::IsValidScale(scale)) return E_INVALIDARG;
    if (index < 0 || index >= Count()) {
      *out = POINT{0, 0};
      return S_OK;
    }
    SHORT pitch = 0;
    SHORT flags = 0;
    Check(notes_[static_cast<size_t>(index)]->GetPitch(&pitch));
    Check(notes_[static_cast<size_t>(index)]->GetFlags(&flags));
    *out = StaffLayout(scale).Anchor(index, pitch, flags, top);
    return S_OK;
  });
}

HRESULT CMelody::SelectAt(LONG x, LONG y, LONG scale, LONG top) {
  return RunUnlessBusy(busy_, [&]() -> HRESULT {
    if (!StaffLayout::IsValidScale(scale)) return E_INVALIDARG;
    if (notes_.empty()) return S_OK;
    // A click that misses every note still clears the selection.
    const LONG hit =
        StaffLayout(scale).HitTest(x, y, top, Count(), [this](LONG i) { return notes_[static_cast<size_t>(i)]; });
    MakeCurrent(hit);
    return S_OK;
  });
}

HRESULT CMelody::GetNoteSize(LONG scale, LONG /*reserved*/, LONG* width, LONG* height) {
  return Run([&]() -> HRESULT {
    if (width == nullptr || height == nullptr) return E_POINTER;
    if (!StaffLayout::IsValidScale(scale)) return E_INVALIDARG;
    const SIZE size = StaffLayout(scale).NoteSize();
    *width = size.cx;
    *height = size.cy;
    return S_OK;
  });
}

}  // namespace nv
