// The ring-tone import dialog: a text box for one tune (typed, pasted or read
// from a file with the "Из файла..." button), the semitones to move it by,
// "fit into the range", replace or insert, and a line under the text that
// says at once what the text holds: notes and rests, folded notes and
// warnings, or the error with its line and column. OK is enabled only while
// the text reads as a tune.
#pragma once

#include <QDialog>
#include <string>

class CAppPathU;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class UserDialogs;

class CRingToneDialog : public QDialog {
  Q_OBJECT

 public:
  CRingToneDialog(const QString& text, UserDialogs& dialogs, CAppPathU& paths, QWidget* parent = nullptr);

  // The text as UTF-8, as the document thread reads it.
  std::string Text() const;
  void SetText(const QString& text);
  int Semitones() const;
  void SetSemitones(int semitones);
  bool Fit() const;
  void SetFit(bool fit);
  bool Insert() const;
  void SetInsert(bool insert);
  // The line under the text, as shown.
  QString Summary() const;
  bool CanAccept() const;
  // What the "Из файла..." button does: choose a file and take its text.
  // False when the user cancelled or the file could not be read (told).
  bool LoadFromFile();

 private:
  void Update();

  UserDialogs& dialogs_;
  CAppPathU& paths_;
  QPlainTextEdit* edit_;
  QLabel* summary_;
  QSpinBox* semitones_;
  QCheckBox* fit_;
  QRadioButton* replace_;
  QRadioButton* insert_;
  QPushButton* ok_;
};
