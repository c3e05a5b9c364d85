// CPrintCommands: printing the staff. "Печать..." asks Qt's print dialog
// for the printer and prints; "Предварительный просмотр..." shows the pages
// in Qt's preview, from which the user may print too. The pages come from
// StaffPaper (A4 portrait unless the user picks another paper, 15 mm
// margins, the staff fitted to the width, breaks between staff rows). It
// installs its handlers in the main window, which owns it.
#pragma once

#include <QObject>

#include "MelodyDocClient.h"

class CAppSetting;
class CMainWindow;
class QPrinter;
class UserDialogs;
namespace nv {
class RequestThread;
}

class CPrintCommands : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* kPrintFailed = "Ошибка при печати мелодии";
  // Margins of a fresh printer's pages, in millimetres.
  static constexpr double kMarginMm = 15.0;

  CPrintCommands(CMainWindow& window, nv::RequestThread& doc, const CAppSetting& settings, UserDialogs& dialogs);

  // Each returns whether pages were printed (Print) or the preview was
  // shown (Preview); a failure has been shown to the user.
  bool Print();
  bool Preview();

  // The melody's pages onto printer, as the commands print them; the number
  // of pages, 0 on failure (nothing shown to the user).
  int PrintTo(QPrinter& printer);
  // A printer set up as the commands start them: A4 portrait, the margins,
  // the melody's name as the document name.
  void SetUp(QPrinter& printer);

 private:
  CMainWindow& window_;
  MelodyDocClient doc_;
  const CAppSetting& settings_;
  UserDialogs& dialogs_;
};
