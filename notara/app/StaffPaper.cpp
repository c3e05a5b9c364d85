#include "StaffPaper.h"

#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QSizeF>
#include <algorithm>

#include "CBellView.h"
#include "QtDrawSurface.h"
#include "common/RequestThread.h"

StaffPaper::StaffPaper(nv::RequestThread& doc, const CAppSetting& settings, ULONG zoom, Medium medium) : doc_(doc) {
  settings_.SetZoom(std::clamp(zoom, CAppSetting::kMinZoom, CAppSetting::kMaxZoom));
  Colours colours = settings.GetColours();
  if (medium == Medium::Paper) {
    colours[kBackgroundColour] = RGB(255, 255, 255);
    colours[kSelectedColour] = colours[kNoteColour];
  }
  settings_.SetColours(colours);
  settings_.SetNameFont(settings.NameFont());
  view_ = std::make_unique<CBellView>(doc, settings_);
}

StaffPaper::~StaffPaper() = default;

void StaffPaper::SetPixelRatio(double ratio) {
  view_->SetPixelRatio(ratio);
}

bool StaffPaper::Init() {
  return view_->InitView();
}

QSize StaffPaper::Extent() const {
  return view_->DocumentExtent();
}

StaffPagination StaffPaper::Paginate(const QSizeF& pageSize) const {
  const QSize extent = Extent();
  const LONG zoom = view_->Zoom();
  StaffSheet sheet;
  sheet.width = extent.width();
  sheet.height = extent.height();
  sheet.titleHeight = view_->NameHeight();
  sheet.lineStep = CBellView::Scaled(CBellView::kLineStep, zoom);
  const LONG count = doc_.Count();
  sheet.rows = std::max<LONG>(1, (count + CBellView::kNotesPerRow - 1) / CBellView::kNotesPerRow);
  return StaffPages::Paginate(sheet, pageSize.width(), pageSize.height());
}

bool StaffPaper::PaintImage(QImage& image) {
  return view_->DrawArea(QRect(QPoint(0, 0), image.deviceIndependentSize().toSize()), image);
}

bool StaffPaper::PaintWhole(QPainter& painter) {
  return view_->DrawArea(QRect(QPoint(0, 0), Extent()), painter);
}

int StaffPaper::PaintPages(QPagedPaintDevice& device) {
  const StaffPagination plan = Paginate(QSizeF(device.width(), device.height()));
  if (plan.pages.empty()) return 0;
  QPainter painter;
  if (!painter.begin(&device)) return 0;
  // Staff lines one drawing pixel thick may come out thinner than a device
  // pixel where a preview shows the page small: smoothed, they stay visible.
  painter.setRenderHint(QPainter::Antialiasing, true);
  const int width = Extent().width();
  int painted = 0;
  const QColor background = QtDrawSurface::ToQColor(settings_.GetColours()[kBackgroundColour]);
  for (const StaffPage& page : plan.pages) {
    if (painted > 0 && !device.newPage()) break;
    painter.save();
    painter.scale(plan.scale, plan.scale);
    painter.fillRect(QRect(0, 0, width, page.bottom - page.top), background);
    // Symbols of the page's rows overhang the area asked for; the painter
    // is left unclipped so they come out whole.
    painter.translate(0, page.drawTop - page.top);
    const bool drawn = view_->DrawArea(QRect(0, page.drawTop, width, page.drawBottom - page.drawTop), painter);
    painter.restore();
    if (!drawn) break;
    ++painted;
  }
  const bool ended = painter.end();
  return ended && painted == static_cast<int>(plan.pages.size()) ? painted : 0;
}
