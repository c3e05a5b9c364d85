// CMidiCommands: the editor's commands that lead outside the staff: MIDI
// import (unsaved-changes question, file choice, reading behind the progress
// dialog, fragment dialog), MIDI export (save dialog, then DOCM_EXPORT_MIDI),
// the help topic and the about box. It installs its handlers in the main
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

class CMidiCommands : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* kImportFailed = "Ошибка при загрузке midi-файла";
  static constexpr const char* kHelpTopic = "edmel_about.htm";

  CMidiCommands(CMainWindow& window, nv::RequestThread& doc, CAppPathU& paths, UserDialogs& dialogs);

  // Each returns whether it changed the document (import) or wrote a file
  // (export); failures have been shown to the user.
  bool Import();
  bool Export();
  void Help();
  void About();

 private:
  CMainWindow& window_;
  MelodyDocClient doc_;
  CAppPathU& paths_;
  UserDialogs& dialogs_;
};
