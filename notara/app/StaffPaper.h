// The staff on paper and in vector files. A hidden staff view of its own
// serves the drawing, at a zoom of its own with the caller's colours and name
// font, over the same document thread as the editor's view: the pages show
// what the screen shows, the glyphs as shapes rather than pictures.
//
//   StaffPaper paper(doc, settings);
//   if (paper.Init()) pages = paper.PaintPages(printer);
#pragma once

#include <QSize>
#include <memory>

#include "CAppSetting.h"
#include "MelodyDocClient.h"
#include "StaffPages.h"

class CBellView;
class QImage;
class QPagedPaintDevice;
class QPainter;
class QSizeF;
namespace nv {
class RequestThread;
}

class StaffPaper {
 public:
  // The zoom paper is drawn at unless the caller asks for another.
  static constexpr ULONG kPaperZoom = CAppSetting::kMaxZoom;

  // Where the drawing goes: a picture keeps the editor's colours; paper gets
  // a white ground and no highlighted note, so a printer lays down only the
  // staff, the notes and the title.
  enum class Medium { Picture, Paper };

  // Takes settings' colours (as medium asks) and name font; zoom within the
  // settings' limits.
  StaffPaper(nv::RequestThread& doc, const CAppSetting& settings, ULONG zoom = kPaperZoom,
             Medium medium = Medium::Paper);
  ~StaffPaper();
  StaffPaper(const StaffPaper&) = delete;
  StaffPaper& operator=(const StaffPaper&) = delete;

  // Device pixels per pixel of the images PaintImage fills (1 unless set);
  // set before Init, which makes the glyphs at that ratio.
  void SetPixelRatio(double ratio);
  // Glyphs and layout from the document; false when the glyphs cannot be made.
  bool Init();

  // The whole drawing's size in its own pixels (after Init).
  QSize Extent() const;
  // The pages for a page area of pageSize units (inside the margins).
  StaffPagination Paginate(const QSizeF& pageSize) const;

  // The whole drawing into image, which must have Extent()'s size in its own
  // device-independent pixels (times the pixel ratio in real ones); false
  // when the document thread failed.
  bool PaintImage(QImage& image);
  // The whole drawing at its own size onto painter's origin (an SVG picture).
  bool PaintWhole(QPainter& painter);
  // Every page onto device, fitted to its page area, a new page between
  // pages. Returns the number of pages painted; 0 when the device cannot be
  // painted on or a page fails.
  int PaintPages(QPagedPaintDevice& device);

 private:
  MelodyDocClient doc_;
  CAppSetting settings_;
  std::unique_ptr<CBellView> view_;
};
