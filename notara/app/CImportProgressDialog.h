// CImportProgressDialog: "Импорт MIDI". Half a second after it opens it
// reads the MIDI file into the document's channel melodies (emptied first)
// and moves its progress bar track by track. The reader runs on a worker
// thread of its own, so the bar moves while the dialog keeps the editor's
// window out of reach; every note goes to the document thread as
// DOCM_CH_ADD_NOTE. The dialog cannot be closed while the file is read.
//
// It ends accepted when channel melodies were found; on any failure it shows
// the reader's message (error icon, application title) and ends rejected.
#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>
#include <thread>

#include "midi/MidiReader.h"
#include "MelodyDocClient.h"

class QProgressBar;
class UserDialogs;
namespace nv {
class RequestThread;
}

class CImportProgressDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kStartDelayMs = 500;

  CImportProgressDialog(nv::RequestThread& doc, UserDialogs& dialogs, const QString& midiPath, QWidget* parent);
  // Waits for the reader when it still runs.
  ~CImportProgressDialog() override;

  MidiError Error() const { return error_; }
  QProgressBar* Progress() const { return progress_; }

 public slots:
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  class DocSink;

  void StartReading();
  void Finish(MidiError error);

  MelodyDocClient doc_;
  UserDialogs& dialogs_;
  QString path_;
  QProgressBar* progress_ = nullptr;
  QTimer startTimer_;
  std::thread reader_;
  bool reading_ = false;
  MidiError error_ = MidiError::None;
};
