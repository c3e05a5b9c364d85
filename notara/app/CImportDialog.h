// CImportDialog: "Загрузка мелодии из MIDI файла". The user steps through
// the channel melodies an import found, listens to them, marks a fragment
// [start, end) with the start and end sliders around the play-position
// slider, and takes the fragment into the editor with "Редактор".
//
// Sliders keep start <= position <= end: a start moved past the position
// snaps back to it, an end moved before it snaps forward, and the position
// stays inside [start, end). Playback is watched on a 100 ms timer that moves
// the position slider along; moving the position while the melody plays
// stops it and plays again from the new position when the move ends, and
// switching melodies while one plays goes on playing the new one.
//
// Closing the dialog (any way) stops playback and releases every channel
// melody; a taken fragment lives on as the document's melody.
#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>
#include <string>

#include "platform/Types.h"
#include "MelodyDocClient.h"

class QAbstractButton;
class QLabel;
class QPushButton;
class QSlider;
class UserDialogs;
namespace nv {
class RequestThread;
}

class CImportDialog : public QDialog {
  Q_OBJECT

 public:
  enum ControlId : int {
    IDC_TAKE = 1,
    IDC_CANCEL = 2,
    IDC_GROUP = 1301,
    IDC_START = 1302,
    IDC_POSITION = 1303,
    IDC_END = 1304,
    IDC_PLAY = 1305,
    IDC_STOP = 1306,
    IDC_NEXT = 1307,
    IDC_PREVIOUS = 1308,
    IDC_FOUND = 1310,
    IDC_CURRENT = 1312,
    IDC_SIZE = 1314,
  };
  static constexpr int kPollMs = 100;
  static constexpr int kStopPollMs = 50;
  // The longest a stopping melody is waited for.
  static constexpr int kStopWaitMs = 10000;

  // midiPath: the file the melodies came from; its name without folder and
  // extension names a taken fragment. programDir holds the help file.
  CImportDialog(nv::RequestThread& doc, UserDialogs& dialogs, const QString& midiPath, const std::string& programDir,
                QWidget* parent);
  // Releases the channel melodies (DOCM_CH_CLEAR).
  ~CImportDialog() override;

  // Whether "Редактор" made the fragment the document's melody.
  bool Taken() const { return taken_; }
  // The name a taken fragment gets.
  QString FragmentName() const;

  int CurrentMelody() const { return currentMelody_; }
  QSlider* Slider(int id) const;
  QWidget* Control(int id) const;

  // The buttons' actions, as pressing them runs them.
  void Play();
  void StopPlayback();
  void NextMelody();
  void PreviousMelody();
  void TakeFragment();

  // The pop-up text of a control's context help at the global position at.
  void ShowContextHelp(QWidget* control, const QPoint& at);

 public slots:
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  LONG Index() const { return currentMelody_ - 1; }
  bool IsPlaying() const;
  void WaitStopped();
  void LoadMelody(int number);
  void ShowFragmentSize();
  void OnSliderAction(QSlider* slider, int action);
  void OnPositionMoveEnded();
  void OnTimer();

  MelodyDocClient doc_;
  UserDialogs& dialogs_;
  QString path_;
  std::string programDir_;

  QSlider* start_ = nullptr;
  QSlider* position_ = nullptr;
  QSlider* end_ = nullptr;
  QPushButton* play_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* next_ = nullptr;
  QPushButton* previous_ = nullptr;
  QPushButton* take_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QLabel* found_ = nullptr;
  QLabel* current_ = nullptr;
  QLabel* size_ = nullptr;
  QTimer timer_;

  int melodyCount_ = 0;
  int currentMelody_ = 1;
  int playedMelody_ = 0;
  bool resumeAfterDrag_ = false;
  bool replayAfterSwitch_ = false;
  bool taken_ = false;
};
