// The user dialogs of a real session: Qt's message boxes, file dialogs and
// colour and font choosers, all modal to their owner.
#pragma once

#include "UserDialogs.h"

class QtUserDialogs : public UserDialogs {
 public:
  int MessageBox(QWidget* owner, const QString& text, const QString& caption, UINT type) override;
  QString OpenFileName(QWidget* owner, const FileDialogRequest& request) override;
  QString SaveFileName(QWidget* owner, const FileDialogRequest& request) override;
  QStringList OpenFileNames(QWidget* owner, const FileDialogRequest& request) override;
  bool ChooseColor(QWidget* owner, QColor& colour, QColor (&custom)[16]) override;
  bool ChooseFont(QWidget* owner, QFont& font) override;
  int Exec(QDialog& dialog) override;

  // The Qt name filter of one (description, patterns) pair: the description
  // when it already lists the patterns in parentheses, else "description
  // (patterns)". Patterns separated by ';' come out separated by spaces, and
  // "*.*" as "*", which also matches files without an extension.
  static QString NameFilter(const QString& description, const QString& patterns);
};
