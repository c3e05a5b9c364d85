// The programmer: start-up, the main dialog, the device thread and
// shutdown. Start-up reads the work folder, starts the device thread and has
// it make its objects, then shows the dialog; shutdown ends the device thread
// (the bell lets its port go) and writes the work folder.
#pragma once

#include <QString>
#include <memory>

#include "CDeviceClient.h"
#include "CDeviceThread.h"
#include "common/CAppPathU.h"

class CBellWindow;
class UserDialogs;

class CDinovaApp {
 public:
  explicit CDinovaApp(UserDialogs& dialogs);
  ~CDinovaApp();
  CDinovaApp(const CDinovaApp&) = delete;
  CDinovaApp& operator=(const CDinovaApp&) = delete;

  // Runs the start-up and shows the dialog. False when the program cannot
  // run; the failure has been shown and the caller ends. When the bell
  // cannot be made on a port other than the default, the user may choose
  // another port before giving up.
  bool Start();
  // After the event loop: the device thread ends, the work folder is saved.
  void Shutdown();

  CBellWindow* Window() const { return window_.get(); }
  DeviceClient& Device() { return client_; }
  CAppPathU& Paths() { return paths_; }

 private:
  void ShowStartFailure(const QString& detail);
  // Initialises the device thread's objects; detail says why it failed.
  bool Initialise(QString& detail);

  UserDialogs& dialogs_;
  CAppPathU paths_;
  CDeviceThread device_;
  CDeviceClient client_{device_};
  std::unique_ptr<CBellWindow> window_;
  bool shutDown_ = false;
};
