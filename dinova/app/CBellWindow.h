// The programmer's main dialog: the bell type, the device status, the
// progress bar and the buttons that start the flows. Every device action is
// a request to the device thread; the long ones run as worker operations of
// the bell, which post their progress to this dialog, and each flow takes
// its next step from those messages:
//   refresh      status read
//   add melody   status read, open dialog, load the file, append it
//   write set    status read, open dialog, load the set, append each melody
//   read set     status read, read each melody back, save dialog, save
// Clear and the selection mode are short requests of their own. While a flow
// runs only "Выход" stays enabled; after an I/O error the status is unknown
// and only a refresh can follow.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>

#include "CCommandStatesU.h"
#include "DeviceMessages.h"
#include "common/CStringU.h"
#include "platform/Types.h"

class CAppPathU;
class CDeviceThread;
class QAction;
class QComboBox;
class QKeyEvent;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QVBoxLayout;
class QtMessageTarget;
class UserDialogs;

class CBellWindow : public QDialog {
  Q_OBJECT

 public:
  // Rows of the command-state table, the closing row included.
  static constexpr std::size_t kCommandRows = 9;
  // How long the bar stays full after a flow before it returns to 0.
  static constexpr int kBarResetMs = 250;
  // How often a cancelled bell is asked whether it has stopped.
  static constexpr DWORD kBusyPollMs = 100;

  // Shows a help topic (file, topic inside it); false when it cannot.
  using HelpViewer = std::function<bool(const QString& file, const QString& topic)>;

  // The device thread must run and be initialised.
  CBellWindow(CDeviceThread& device, CAppPathU& paths, UserDialogs& dialogs, QWidget* parent = nullptr);
  ~CBellWindow() override;

  // The flows, as their controls start them.
  void StartFlow(int control);
  // A new choice in the bell type list starts a refresh.
  void SelectBellType(int index);
  void Clear();
  void SetSelectionMode();
  void ChoosePort();
  void ShowHelp();
  void ShowAbout();

  // The bar position that splits the rest of the bar after base into count
  // equal stretches, at percent of stretch index; rounded half up.
  static int Stretch(int base, LONG index, int percent, LONG count);

  void SetHelpViewer(HelpViewer viewer) { helpViewer_ = std::move(viewer); }
  // The title names the port when it is not the default one.
  void UpdateTitle();

  QPushButton* Button(int control) const;
  QComboBox* BellTypeList() const { return bellType_; }
  QProgressBar* Progress() const { return progress_; }
  // The text of a status field (IDC_CAPACITY ... IDC_MODE).
  QString FieldText(int control) const;
  QAction* PortAction() const { return portAction_; }
  const BellInfo& Info() const { return info_; }
  bool IsStatusKnown() const { return statusKnown_; }
  bool IsFlowRunning() const { return flow_ != 0; }
  HWND MessageWindow() const;

 protected:
  // "Выход", the close box and Escape: asks first while the bell is busy.
  void reject() override;
  // Escape does not end the program.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildControls();
  void BuildMenu(QVBoxLayout* layout);

  void OnBellMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnRefresh(WORD operation, int percent, LPARAM code);
  bool OnStatusBeforeAppend(WORD operation, int percent, LPARAM code, int share, bool melody);
  void OnAddMelody(WORD operation, int percent, LPARAM code);
  void OnWriteSet(WORD operation, int percent, LPARAM code);
  void OnReadSet(WORD operation, int percent, LPARAM code);

  // A status read that ended with an error code.
  void StatusReadFailed(LPARAM code);
  // The ends of a flow.
  void Done();
  void IoError();
  void ProgramError(bool statusKnown);
  void EndFlow();

  // The open dialog of the add and write flows; the chosen path or empty.
  QString ChooseFile(bool melody);
  // Before an append: the work folder from the file, current melody 0
  // becomes 1, and an unknown selection mode is asked for. False when the
  // user cancels the mode.
  bool PrepareAppend(const QString& path);
  // Loads the file (melody or set) into the device thread's list and starts
  // the first append; false when a request failed (its text shown).
  bool LoadAndAppend(const QString& path, bool melody);
  // Sends a device request for flow; false with its error text shown.
  bool SendRequest(UINT request, UINT flow, LONG first);
  void SaveReadSet();
  // After a failed clear or set mode: the status is unknown.
  void ShortRequestFailed(const CStringU& error);

  void ShowStatus();
  void ShowUnknownStatus();
  void SetBar(int position);
  // Idle with known status, idle with unknown status, or a flow running.
  enum class Controls { Idle, StatusUnknown, Flow };
  void ApplyControls(Controls state, QWidget* focus);

  void ShowError(const QString& text);
  void ShowError(const CStringU& text);
  void SetWorkDirFrom(const QString& path);

  CDeviceThread& device_;
  CAppPathU& paths_;
  UserDialogs& dialogs_;
  HelpViewer helpViewer_;

  std::array<CommandState, kCommandRows> commandRows_;
  CCommandStatesU commands_;
  QtMessageTarget* target_ = nullptr;
  QComboBox* bellType_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QTimer* barReset_ = nullptr;
  QAction* portAction_ = nullptr;
  std::array<QLabel*, 5> fields_{};

  BellInfo info_{};
  DeviceRequest request_{};
  bool statusKnown_ = false;
  int currentType_ = 1;
  bool closing_ = false;

  // The flow running (its message number; 0 for none) and its counters.
  UINT flow_ = 0;
  QWidget* starter_ = nullptr;
  int base_ = 0;
  LONG index_ = 0;
  LONG count_ = 0;
};
