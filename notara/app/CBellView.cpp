#include "CBellView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "CAppSetting.h"
#include "DocMessages.h"
#include "MusicFont.h"
#include "NameFont.h"
#include "QtDrawFont.h"
#include "QtDrawSurface.h"
#include "QtGlyphImageList.h"
#include "QtMessageTarget.h"
#include "common/CStringU.h"
#include "common/RequestThread.h"
#include "platform/DrawSurface.h"

namespace {

// How often the view asks whether a melody has stopped after its progress
// messages.
constexpr int kPlayWatchMs = 100;

QColor ToQColor(COLORREF c) {
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

}  // namespace

LONG CBellView::Scaled(LONG v, LONG zoom) {
  return static_cast<LONG>(std::ceil(static_cast<double>(v) * zoom / 100.0 - 0.5));
}

CBellView::CBellView(nv::RequestThread& doc, CAppSetting& settings, QWidget* parent)
    : CViewU(parent), doc_(doc), settings_(settings) {
  target_ = std::make_unique<QtMessageTarget>(
      [this](UINT message, WPARAM wParam, LPARAM lParam) { OnMessage(message, wParam, lParam); }, this);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setAttribute(Qt::WA_NoSystemBackground);
  viewport()->setCursor(Qt::ArrowCursor);
  setFocusPolicy(Qt::StrongFocus);
  playWatch_.setInterval(kPlayWatchMs);
  connect(&playWatch_, &QTimer::timeout, this, &CBellView::CheckPlaybackEnded);
}

// The message target goes first, so no playback message reaches a view
// that is half destroyed; the image lists go with their owners.
CBellView::~CBellView() {
  target_.reset();
}

HWND CBellView::MessageWindow() const {
  return target_ ? target_->Handle() : nullptr;
}

LONG CBellView::Zoom() const {
  return static_cast<LONG>(settings_.Zoom());
}

QPoint CBellView::ScrollPosition() const {
  return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

QFont CBellView::NameFont() const {
  return NameFont::Scaled(settings_.NameFont(), Zoom());
}

LONG CBellView::LineStepV() const {
  return 10 * Scaled(kLineStep, Zoom());
}

double CBellView::PixelRatio() const {
  // Below one device pixel per pixel the glyphs are drawn at one, as image lists are.
  return std::max(1.0, pixelRatio_ > 0 ? pixelRatio_ : viewport()->devicePixelRatioF());
}

bool CBellView::BuildImages() {
  const LONG zoom = Zoom();
  const double ratio = PixelRatio();
  const MusicFont* font = MusicFont::Installed();
  const Colours colours = settings_.GetColours();
  using Kind = QtGlyphImageList::Kind;
  auto notes = std::make_unique<QtGlyphImageList>(Kind::Notes, colours[kNoteColour], zoom, ratio, font);
  auto selected = std::make_unique<QtGlyphImageList>(Kind::Notes, colours[kSelectedColour], zoom, ratio, font);
  auto staff = std::make_unique<QtGlyphImageList>(Kind::Staff, colours[kNoteColour], zoom, ratio, font);
  if (notes->GetImageCount() != kNoteImages || selected->GetImageCount() != kNoteImages ||
      staff->GetImageCount() != kStaffImages) {
    return false;
  }
  noteImages_ = std::move(notes);
  selectedImages_ = std::move(selected);
  staffImages_ = std::move(staff);
  return true;
}

void CBellView::MeasureName() {
  const CStringU name = doc_.Name();
  QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
  QtDrawSurface surface(&scratch);
  QtDrawFont font(NameFont());
  surface.SelectFont(&font);
  SIZE size{0, 0};
  if (surface.GetTextExtentPoint32(name.Wide(), static_cast<int>(name.Length()), &size) == FALSE) size = {0, 0};
  surface.SelectFont(nullptr);
  nameWidth_ = size.cx;
  nameHeight_ = size.cy;
}

void CBellView::SetScrollRanges() {
  const QSize client = viewport()->size();
  QScrollBar* h = horizontalScrollBar();
  QScrollBar* v = verticalScrollBar();
  h->setRange(0, std::max(0, extent_.width() - client.width()));
  h->setPageStep(std::max(1, client.width()));
  h->setSingleStep(std::max<LONG>(1, Scaled(kColumnStep, Zoom())));
  v->setRange(0, std::max(0, extent_.height() - client.height()));
  v->setPageStep(std::max(1, client.height()));
  v->setSingleStep(std::max<LONG>(1, LineStepV()));
}

void CBellView::Relayout(bool scrollToCurrent) {
  const LONG zoom = Zoom();
  const LONG count = doc_.Count();
  const LONG rows = std::max<LONG>(1, (count + kNotesPerRow - 1) / kNotesPerRow);
  MeasureName();
  const LONG margin = Scaled(kMargin, zoom);
  const LONG width = std::max(kRowColumns * Scaled(kColumnStep, zoom) + 2 * margin, 2 * margin + nameWidth_);
  const LONG height = 10 * Scaled(kLineStep, zoom) * rows + 8 * Scaled(kLineStep, zoom) + nameHeight_;
  extent_ = QSize(width, height);
  SetScrollRanges();
  if (scrollToCurrent) ScrollToCurrent();
  if (viewport()->isVisible()) {
    viewport()->repaint();
  } else {
    viewport()->update();
  }
}

bool CBellView::ScrollToCurrent() {
  const LONG current = doc_.Current();
  if (current < 0) return false;
  const LONG zoom = Zoom();
  const POINT anchor = doc_.NotePos({current, zoom, nameHeight_});

  const QSize client = viewport()->size();
  const QPoint pos = ScrollPosition();
  const QRect visible(QPoint(pos.x(), pos.y()), QPoint(pos.x() + client.width() - Scaled(kNoteCellWidth, zoom) - 1,
                                                       pos.y() + client.height() - Scaled(kNoteCellHeight, zoom) - 1));
  if (visible.contains(anchor.x, anchor.y)) return false;
  const int x = client.width() >= extent_.width() ? 0 : std::max(0, anchor.x - client.width() / 2);
  const int y = client.height() >= extent_.height() ? 0 : std::max(0, anchor.y - client.height() / 2);
  horizontalScrollBar()->setValue(x);
  verticalScrollBar()->setValue(y);
  return true;
}

bool CBellView::InitView() {
  if (!BuildImages()) return false;
  ResetScroll();
  Relayout(false);
  return true;
}

void CBellView::ResetScroll() {
  horizontalScrollBar()->setValue(0);
  verticalScrollBar()->setValue(0);
}

bool CBellView::DrawArea(const QRect& area, QImage& image) {
  const Colours colours = settings_.GetColours();
  image.fill(ToQColor(colours[kBackgroundColour]));
  if (!noteImages_ || !selectedImages_ || !staffImages_) return false;
  QtDrawSurface surface(&image);
  QtDrawFont font(NameFont());
  const RECT rect{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
  const DrawBlock block{
      &surface, staffImages_.get(), noteImages_.get(), selectedImages_.get(), colours.data(), &rect, &font, Zoom()};
  return doc_.Draw(block);
}

bool CBellView::DrawArea(const QRect& area, QPainter& painter) {
  if (!painter.isActive()) return false;
  const Colours colours = settings_.GetColours();
  painter.fillRect(QRect(QPoint(0, 0), area.size()), ToQColor(colours[kBackgroundColour]));
  if (!noteImages_ || !selectedImages_ || !staffImages_) return false;
  QtDrawSurface surface(painter);
  QtDrawFont font(NameFont());
  const RECT rect{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
  const DrawBlock block{
      &surface, staffImages_.get(), noteImages_.get(), selectedImages_.get(), colours.data(), &rect, &font, Zoom()};
  return doc_.Draw(block);
}

void CBellView::paintEvent(QPaintEvent* event) {
  const QRect update = event->rect();
  if (update.isEmpty()) return;
  // The window may have moved to a screen of another pixel ratio.
  const double ratio = PixelRatio();
  if (noteImages_ && noteImages_->PixelRatio() != ratio) BuildImages();
  QImage buffer((QSizeF(update.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
  buffer.setDevicePixelRatio(ratio);
  DrawArea(update.translated(ScrollPosition()), buffer);
  QPainter painter(viewport());
  painter.drawImage(update.topLeft(), buffer);
}

void CBellView::scrollContentsBy(int, int) {
  viewport()->update();
}

void CBellView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    CViewU::mouseReleaseEvent(event);
    return;
  }
  const QPoint pos = ScrollPosition() + event->position().toPoint();
  const SelectAtBlock block{pos.x(), pos.y(), Zoom(), nameHeight_};
  doc_.SelectAt(block);
  Relayout(false);
  emit StatesChanged();
}

void CBellView::keyPressEvent(QKeyEvent* event) {
  const QSize client = viewport()->size();
  const bool tall = extent_.height() > client.height();
  const bool wide = extent_.width() > client.width();
  const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
  QScrollBar* bar = nullptr;
  int delta = 0;
  if (plain && tall && (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown)) {
    bar = verticalScrollBar();
    delta = event->key() == Qt::Key_PageUp ? -client.height() : client.height();
  } else if (plain && tall && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
    bar = verticalScrollBar();
    delta = event->key() == Qt::Key_Up ? -LineStepV() : LineStepV();
  } else if (plain && wide && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
    const LONG step = Scaled(kColumnStep, Zoom());
    bar = horizontalScrollBar();
    delta = event->key() == Qt::Key_Left ? -step : step;
  }
  if (bar == nullptr) {
    event->ignore();
    return;
  }
  bar->setValue(bar->value() + delta);
  Relayout(false);
}

void CBellView::wheelEvent(QWheelEvent* event) {
  const int dy = event->angleDelta().y();
  if (dy == 0) {
    event->ignore();
    return;
  }
  QScrollBar* v = verticalScrollBar();
  v->setValue(v->value() + (dy < 0 ? LineStepV() : -LineStepV()));
  Relayout(false);
}

void CBellView::resizeEvent(QResizeEvent* event) {
  CViewU::resizeEvent(event);
  SetScrollRanges();
}

void CBellView::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  if (message == UIM_PLAY_PROGRESS) OnPlayProgress(static_cast<LONG>(wParam));
}

void CBellView::InvalidateNote(LONG index, LONG width, LONG height) {
  if (index < 0) return;
  const POINT anchor = doc_.NotePos({index, Zoom(), nameHeight_});
  const QPoint pos = ScrollPosition();
  const QRect area(anchor.x - pos.x() - width, anchor.y - pos.y() - height, 3 * width, 3 * height);
  if (viewport()->isVisible()) {
    viewport()->repaint(area);
  } else {
    viewport()->update(area);
  }
}

void CBellView::OnPlayProgress(LONG index) {
  if (ScrollToCurrent()) {
    viewport()->update();
  } else {
    const SIZE cell = doc_.NoteSize({Zoom(), nameHeight_});
    const LONG count = doc_.Count();
    InvalidateNote(index - 1, cell.cx, cell.cy);
    if (index < count) InvalidateNote(index, cell.cx, cell.cy);
  }
  emit StatesChanged();
  WatchPlayback();
}

void CBellView::WatchPlayback() {
  if (!playWatch_.isActive()) playWatch_.start();
}

void CBellView::CheckPlaybackEnded() {
  if (doc_.IsPlaying()) return;
  playWatch_.stop();
  emit StatesChanged();
}
