// CRingToneCommands: the editor's ring-tone text and transposition commands.
// Import offers the clipboard's text when it holds a tune, runs the import
// dialog and sends the accepted text to the document thread, which reads it
// again and replaces or inserts the melody as one undo step. Export writes
// the melody as ring-tone text to a file chosen with the save dialog, or to
// the clipboard. Transpose asks for the semitones and tells how many notes
// had to be folded into the range. It installs its handlers in the main
// window, which owns it.
#pragma once

#include <QObject>

#include "MelodyDocClient.h"

class CAppPathU;
class CMainWindow;
class UserDialogs;
namespace nv {
class RequestThread;
}

class CRingToneCommands : public QObject {
  Q_OBJECT

 public:
  CRingToneCommands(CMainWindow& window, nv::RequestThread& doc, CAppPathU& paths, UserDialogs& dialogs);

  // Each returns whether it changed the document (import, transpose), wrote
  // a file (export) or filled the clipboard (copy); failures have been shown.
  bool Import();
  bool Export();
  bool Copy();
  bool Transpose();

 private:
  void Inform(const QString& text, UINT icon);
  // Tells that the notes were written an octave higher.
  void TellRaised(const RingToneExportResult& result);

  CMainWindow& window_;
  MelodyDocClient doc_;
  CAppPathU& paths_;
  UserDialogs& dialogs_;
};
