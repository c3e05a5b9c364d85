// The open dialog of the add melody and write set flows: Qt's own file
// dialog (not the desktop's, so a panel can sit under it) with a checker
// panel that weighs the file named in the dialog against what the doorbell
// can take (every note, the number of melodies, the free space) whenever
// the name or the folder changes. OK is taken only for a file that fits.
// The melody panel also plays the file as a preview through the device
// thread; the preview stops whenever the name changes and when the dialog
// closes.
#pragma once

#include <QFileDialog>
#include <QString>

#include "CFileChecker.h"
#include "platform/Types.h"

class DeviceClient;
class QLabel;
class QPushButton;
class QTimer;

class CCheckedFileDialog : public QFileDialog {
  Q_OBJECT

 public:
  // How often a playing preview is asked whether it has ended.
  static constexpr int kPlayPollMs = 250;
  // The longest a stopping preview is waited for before the dialog goes on
  // (a new name, closing). The preview plays on Sonvox's own thread, which
  // ends at its next note once told to stop; a sound device that stalls
  // must not freeze the dialog with it. After the cap the dialog carries on
  // as if stopped; the next load of the list stops that melody again.
  static constexpr int kStopWaitMs = 5000;

  // limits: what the bell can take. device: the device thread that loads
  // and plays the preview (melody panel only; null for none); it must
  // outlive the dialog. folder: where the dialog starts.
  CCheckedFileDialog(CFileChecker::Kind kind, const CAppendRules::Limits& limits, DeviceClient* device,
                     const QString& folder, QWidget* parent = nullptr);
  ~CCheckedFileDialog() override;

  // Types name into the file name field, as the user would.
  void SetFileName(const QString& name);
  // The file the dialog was accepted with; empty before that.
  QString ChosenPath() const;

  // What the checker shows: its text, and whether OK is offered.
  QString CheckText() const;
  const CFileChecker::Result& LastCheck() const { return check_; }
  bool IsOkEnabled() const { return okEnabled_; }
  QPushButton* PlayButton() const { return play_; }
  QPushButton* StopButton() const { return stop_; }

  // One tick of the preview timer: the buttons follow the end of playing.
  void PollPreview();

 public slots:
  void accept() override;
  void done(int result) override;

 private:
  void Recheck();
  void ApplyOk();
  void Play();
  void Stop();
  // Stops the preview and waits until it is silent.
  void StopAndWait();
  QString TypedName() const;
  // The file a name typed into the dialog stands for: name itself when it
  // is absolute, else name inside folder; the kind's extension (".mel",
  // ".sto") is added when the name has none. Empty for an empty name.
  QString PathFor(const QString& folder, const QString& name) const;

  CFileChecker::Kind kind_;
  CAppendRules::Limits limits_;
  DeviceClient* device_;
  QLabel* text_ = nullptr;
  QPushButton* play_ = nullptr;
  QPushButton* stop_ = nullptr;
  QTimer* poll_ = nullptr;
  CFileChecker::Result check_;
  QString checkedPath_;
  bool okEnabled_ = false;
  bool previewing_ = false;
};
