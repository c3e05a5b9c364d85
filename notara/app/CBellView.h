// The staff view: the melody in staff notation, drawn by the document
// thread into an off-screen image of the area to update and copied to the
// screen. The view prepares what the drawing needs (glyph image lists
// recoloured and scaled for the zoom, the scaled name font, the colours, the
// visible area in document coordinates), scrolls, hit-tests clicks and
// follows playback.
#pragma once

#include <QFont>
#include <QImage>
#include <QTimer>
#include <memory>

#include "CViewU.h"
#include "MelodyDocClient.h"
#include "platform/Types.h"

class CAppSetting;
class QPainter;
class ImageList;
class QtMessageTarget;
namespace nv {
class RequestThread;
}

class CBellView : public CViewU {
  Q_OBJECT

 public:
  // Design lengths at zoom 100, in pixels.
  static constexpr LONG kNoteCellWidth = 21;
  static constexpr LONG kNoteCellHeight = 31;
  static constexpr LONG kStaffCellWidth = 35;
  static constexpr LONG kStaffCellHeight = 69;
  static constexpr LONG kColumnStep = 45;
  static constexpr LONG kMargin = 24;
  static constexpr LONG kLineStep = 9;
  static constexpr LONG kNotesPerRow = 12;
  static constexpr LONG kRowColumns = 14;
  // Pictures in the note and staff image lists.
  static constexpr int kNoteImages = 17;
  static constexpr int kStaffImages = 2;

  // scaled(v) = ceil(v × zoom / 100 − 0.5), in double precision.
  static LONG Scaled(LONG v, LONG zoom);

  CBellView(nv::RequestThread& doc, CAppSetting& settings, QWidget* parent = nullptr);
  ~CBellView() override;

  // Rebuilds the three glyph image lists for the current zoom, colours and
  // pixel ratio, from the music font when it is installed. Returns false
  // (keeping the previous lists) when one cannot be made whole.
  bool BuildImages();
  // Device pixels per pixel the view draws with, 1 or more: the one set,
  // else the screen's. Lengths, hit tests and scrolling stay in pixels.
  double PixelRatio() const;
  // Draws with ratio from now on (off-screen pictures); 0 follows the screen
  // again. Call BuildImages afterwards.
  void SetPixelRatio(double ratio) { pixelRatio_ = ratio; }
  // Recomputes the document extent and the scroll ranges, optionally
  // scrolls the current note into view, and repaints at once.
  void Relayout(bool scrollToCurrent);
  // Makes the current note visible; true when the scroll positions changed.
  bool ScrollToCurrent();
  // Images, both scroll positions 0 and a layout; false when the images
  // cannot be made.
  bool InitView();
  // Both scroll positions back to 0 (after New and Open).
  void ResetScroll();

  // The handle playback posts its progress to.
  HWND MessageWindow() const;

  // The document's width and height at the current zoom, font and name.
  QSize DocumentExtent() const { return extent_; }
  // Height of the melody name in the scaled name font (the staff's origin).
  LONG NameHeight() const { return nameHeight_; }
  LONG Zoom() const;
  QPoint ScrollPosition() const;
  // The scaled name font, as the view draws it.
  QFont NameFont() const;

  // The glyph lists, for tests and the drawing; null before BuildImages.
  const ImageList* NoteImages() const { return noteImages_.get(); }
  const ImageList* SelectedImages() const { return selectedImages_.get(); }
  const ImageList* StaffImages() const { return staffImages_.get(); }

  // Draws the document area into image as the screen shows it: background
  // then the melody. The image is area's size times its device pixel ratio.
  // false when the document thread failed.
  bool DrawArea(const QRect& area, QImage& image);
  // The same onto painter, active on any device: area's top-left corner
  // lands on the painter's origin, the background filling area's size.
  bool DrawArea(const QRect& area, QPainter& painter);

  // Watches the melody until it has stopped playing, then signals
  // StatesChanged once more. The melody posts its last progress message just
  // before it stops, so the refresh after that message can still find it
  // playing; this watch makes sure the commands follow its real end.
  void WatchPlayback();

 signals:
  // After a click, after each playback progress message and when playback
  // has ended: the owner refreshes its command states and status texts.
  void StatesChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnPlayProgress(LONG index);
  void CheckPlaybackEnded();
  void MeasureName();
  void SetScrollRanges();
  // Invalidates the area around a note's anchor (three cells wide and high).
  void InvalidateNote(LONG index, LONG width, LONG height);
  LONG LineStepV() const;

  MelodyDocClient doc_;
  CAppSetting& settings_;
  std::unique_ptr<QtMessageTarget> target_;
  std::unique_ptr<ImageList> noteImages_;
  std::unique_ptr<ImageList> selectedImages_;
  std::unique_ptr<ImageList> staffImages_;
  QSize extent_;
  LONG nameWidth_ = 0;
  LONG nameHeight_ = 0;
  double pixelRatio_ = 0;
  QTimer playWatch_;
};
