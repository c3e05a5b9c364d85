// The set editor program: start-up, the window, the document thread and
// shutdown. Start-up reads the work folder, starts the document thread,
// makes a new set and builds the window; shutdown ends the document thread
// and writes the work folder.
#pragma once

#include <QString>
#include <memory>

#include "CSetoraDocThread.h"
#include "common/CAppPathU.h"

class CSetoraWindow;
class UserDialogs;

class CSetoraApp {
 public:
  explicit CSetoraApp(UserDialogs& dialogs, ObjectFactory factory = {});
  ~CSetoraApp();
  CSetoraApp(const CSetoraApp&) = delete;
  CSetoraApp& operator=(const CSetoraApp&) = delete;

  // Runs the start-up up to an initialised, not yet shown window, with the
  // set file path opened when one is given (a file that cannot be opened is
  // reported and the new set stays). False when the program cannot run; the
  // failure has been shown.
  bool Start(const QString& path = QString());
  // Shows the window modally until the user leaves the program, then shuts
  // down. Returns the program's exit code.
  int Run();
  // The document thread ends (its melodies are released there), then the
  // work folder goes to the registry. Runs once; the destructor calls it.
  void Shutdown();

  CSetoraWindow* Window() const { return window_.get(); }
  CSetoraDocThread& Doc() { return doc_; }
  CAppPathU& Paths() { return paths_; }

 private:
  void ShowStartFailure();

  UserDialogs& dialogs_;
  CAppPathU paths_;
  CSetoraDocThread doc_;
  std::unique_ptr<CSetoraWindow> window_;
  bool started_ = false;
};
