// The programmer's main dialog: the bell type, the device status, the
// progress bar and the buttons that start the flows. The flows themselves
// live in CProgrammerFlow; this dialog gives them their widgets and dialogs
// (it is their ProgrammerActions) and hands them the bell's messages.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "CCommandStatesU.h"
#include "CProgrammerFlow.h"
#include "CWaitCursorU.h"
#include "ProgrammerActions.h"
#include "platform/Types.h"

class CAppPathU;
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

class CBellWindow : public QDialog, private ProgrammerActions {
  Q_OBJECT

 public:
  // Rows of the command-state table, the closing row included.
  static constexpr std::size_t kCommandRows = 9;
  // How long the bar stays full after a flow before it returns to 0.
  static constexpr int kBarResetMs = 250;

  // Shows a help topic (file, topic inside it); false when it cannot.
  using HelpViewer = std::function<bool(const QString& file, const QString& topic)>;

  // The device thread behind device must run and be initialised.
  CBellWindow(DeviceClient& device, CAppPathU& paths, UserDialogs& dialogs, QWidget* parent = nullptr);
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

  void SetHelpViewer(HelpViewer viewer) { helpViewer_ = std::move(viewer); }
  // The title names the port when it is not the default one.
  void UpdateTitle();

  QPushButton* Button(int control) const;
  QComboBox* BellTypeList() const { return bellType_; }
  QProgressBar* Progress() const { return progress_; }
  // The text of a status field (IDC_CAPACITY ... IDC_MODE).
  QString FieldText(int control) const;
  QAction* PortAction() const { return portAction_; }
  const BellInfo& Info() const { return flow_->Info(); }
  bool IsStatusKnown() const { return flow_->IsStatusKnown(); }
  bool IsFlowRunning() const { return flow_->IsRunning(); }
  HWND MessageWindow() const;

 protected:
  // "Выход", the close box and Escape: asks first while the bell is busy.
  void reject() override;
  // Escape does not end the program.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildControls();
  void BuildMenu(QVBoxLayout* layout);

  // ProgrammerActions.
  DeviceClient& Device() override { return device_; }
  void SetWaiting(bool waiting) override;
  void SetBar(int position) override;
  void ShowStatus(const BellInfo* info) override;
  void ShowError(const std::u16string& text) override;
  void Begin() override;
  void End(const Ending& ending) override;
  std::string AskFile(CAppendRules::Kind kind, const CAppendRules::Limits& limits) override;
  std::string AskSavePath() override;
  bool AskMode(BYTE& mode, bool randomAllowed) override;
  bool Ask(Question question) override;
  void SetWorkDirFrom(const std::string& path) override;

  // Idle with known status, idle with unknown status, or a flow running.
  enum class Controls { Idle, StatusUnknown, Flow };
  void ApplyControls(Controls state, QWidget* focus);
  void ShowError(const QString& text);

  DeviceClient& device_;
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
  std::optional<CWaitCursorU> waiting_;
  std::unique_ptr<CProgrammerFlow> flow_;
};
