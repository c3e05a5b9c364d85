// What the programs ask the user through standard dialogs: message boxes,
// open and save file choosers, the colour and font choosers and their own
// modal dialogs. Windows reach them only through this interface, so tests
// replace it and never block on a dialog.
#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

#include "platform/Types.h"

class QColor;
class QDialog;
class QFont;
class QWidget;

// Message-box buttons, icons and answers, with the platform's values.
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
// The second button is the default one (the first is without this flag).
constexpr UINT MB_DEFBUTTON2 = 0x100;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

struct FileDialogRequest {
  // (description, patterns) pairs, e.g. ("Мелодии (*.mel)", "*.mel").
  std::vector<std::pair<QString, QString>> filters;
  int filterIndex = 0;    // the filter selected at first
  QString initialDir;     // where the dialog starts
  QString initialName;    // file name offered (save)
  QString defaultSuffix;  // appended when the name has no extension (save), without the dot
};

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;

  // type: one MB_ button set ored with one MB_ICON value. Returns IDOK,
  // IDCANCEL, IDYES or IDNO; closing the box counts as IDCANCEL (IDOK for a
  // box with the OK button only).
  virtual int MessageBox(QWidget* owner, const QString& text, const QString& caption, UINT type) = 0;

  // The chosen file's full path; empty when the user cancels. Opening
  // accepts only an existing file; saving asks before replacing one.
  virtual QString OpenFileName(QWidget* owner, const FileDialogRequest& request) = 0;
  virtual QString SaveFileName(QWidget* owner, const FileDialogRequest& request) = 0;
  // Several existing files at once, full paths in the order the dialog
  // returns them; empty when the user cancels. Without an override it asks
  // for one file through OpenFileName.
  virtual QStringList OpenFileNames(QWidget* owner, const FileDialogRequest& request) {
    const QString one = OpenFileName(owner, request);
    return one.isEmpty() ? QStringList() : QStringList{one};
  }

  // true with colour replaced when the user accepts. custom: the chooser's
  // 16 custom colours, read and written back.
  virtual bool ChooseColor(QWidget* owner, QColor& colour, QColor (&custom)[16]) = 0;
  // true with font replaced when the user accepts.
  virtual bool ChooseFont(QWidget* owner, QFont& font) = 0;

  // Runs one of the program's own modal dialogs; returns its result code
  // (QDialog::Accepted or QDialog::Rejected).
  virtual int Exec(QDialog& dialog) = 0;
};
