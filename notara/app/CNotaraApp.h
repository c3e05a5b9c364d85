// The editor program: start-up, the main window, the document thread and
// shutdown. Start-up reads the settings and the work folder, builds the
// window, starts the document thread, opens the file named on the command
// line (or makes a new melody) and shows the window; shutdown writes the
// work folder and the settings and ends the document thread.
#pragma once

#include <QString>
#include <memory>

#include "CAppSetting.h"
#include "CDocThread.h"
#include "common/CAppPathU.h"

class CMainWindow;
class UserDialogs;

class CNotaraApp {
 public:
  static constexpr const char* kKeyName = "N&V\\Melodies Editor v2.9";

  explicit CNotaraApp(UserDialogs& dialogs, ObjectFactory factory = {});
  ~CNotaraApp();
  CNotaraApp(const CNotaraApp&) = delete;
  CNotaraApp& operator=(const CNotaraApp&) = delete;

  // Runs the start-up. false when the program cannot run: the failure has
  // been shown (except for a missing program folder) and the caller ends.
  bool Start(const QString& startupPath);
  // After the event loop: work folder and settings to the registry, then
  // the document thread ends.
  void Shutdown();

  CMainWindow* Window() const { return window_.get(); }
  CDocThread& Doc() { return doc_; }
  CAppSetting& Settings() { return settings_; }
  CAppPathU& Paths() { return paths_; }

 private:
  void ShowStartFailure();

  UserDialogs& dialogs_;
  CAppSetting settings_;
  CAppPathU paths_;
  CDocThread doc_;
  std::unique_ptr<CMainWindow> window_;
  bool shutDown_ = false;
};
