// The editor's main window: menu, accelerators, tool bar, status bar and the
// staff view, and the commands that turn into document-thread requests.
// After every command the enable states and status texts are refreshed from
// the document.
#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <map>
#include <memory>

#include "CCommandStatesU.h"
#include "MelodyDocClient.h"
#include "NotaraMenus.h"
#include "platform/Types.h"

class CAppPathU;
class CAppSetting;
class CBellView;
class CDocumentFlows;
class CStatusBarU;
class CToolBarU;
class QAction;
class UserDialogs;
namespace nv {
class RequestThread;
}

class CMainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // Rows of the command-state table, the closing row included.
  static constexpr std::size_t kCommandRows = NotaraMenus::kCommandRows;

  // The window is built with its menu, tool bar and status bar ("Готово"),
  // placed as settings say, but not shown; the view comes with CreateView
  // once the document thread runs.
  CMainWindow(nv::RequestThread& doc, CAppSetting& settings, CAppPathU& paths, UserDialogs& dialogs);
  ~CMainWindow() override;

  // Creates the staff view and runs its start-up (images, layout); false
  // when the images cannot be made.
  bool CreateView();
  // Shows the window minimized, maximized or normal as the settings say.
  void ShowAsPlaced();

  // Runs a command as the menu would, followed by the state refresh.
  void RunCommand(int id);
  // Replaces the action of a command (import, export, help and about are
  // filled in by their own modules).
  void SetCommandHandler(int id, std::function<void()> handler);

  // Enable states, check mark and status fields from the document.
  void RefreshCommandStates();

  QAction* Action(int id) const;
  CBellView* View() const { return view_; }
  CStatusBarU& StatusBar() const { return *statusBar_; }
  CDocumentFlows& Flows() const { return *flows_; }
  UserDialogs& Dialogs() const { return dialogs_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // The longest the window waits for a stopped melody to fall silent.
  static constexpr int kStopWaitMs = 10000;
  void BuildMenu();
  void BindCommands();
  void SendAndRelayout(DocMessage request, bool sound);
  void ZoomIn();
  void ZoomOut();
  void ApplyZoom(ULONG zoom);
  void Stop();
  void EditName();
  void EditZoomFactor();
  void EditColours();
  void EditFont();
  void StorePlacement();

  MelodyDocClient doc_;
  CAppSetting& settings_;
  CAppPathU& paths_;
  UserDialogs& dialogs_;
  std::array<CommandState, kCommandRows> rows_;  // this window's command states
  CCommandStatesU states_;
  std::map<int, QAction*> actions_;
  std::map<int, std::function<void()>> handlers_;
  std::unique_ptr<CToolBarU> toolBar_;
  std::unique_ptr<CStatusBarU> statusBar_;
  std::unique_ptr<CDocumentFlows> flows_;
  CBellView* view_ = nullptr;
  bool closing_ = false;
};
