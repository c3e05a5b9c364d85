// The zoom-factor dialog: an edit with the factor as "%.2f" and up and down
// arrows that step it by 0.1 from 1.00 to 2.00. OK accepts a typed number
// from 1 to 2 and warns about anything else, keeping the dialog open.
#pragma once

#include <QDialog>

class QAbstractSpinBox;
class UserDialogs;

class CZoomDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kEditId = 1401;
  static constexpr int kUpDownId = 1402;
  static constexpr int kMaxInput = 9;

  CZoomDialog(double factor, UserDialogs& dialogs, QWidget* parent = nullptr);

  // The accepted factor (the initial one until OK succeeds).
  double Factor() const { return factor_; }
  // The text in the edit and the arrows' position (0 to 10).
  QString Text() const;
  void SetText(const QString& text);
  int Position() const;
  // Steps the arrows as a click would (positive: up).
  void Step(int steps);

  // The number a text stands for, as OK reads it: its first 9 characters
  // converted as a decimal number (a comma counts as the decimal point);
  // what cannot be read gives 0.
  static double ParseFactor(const QString& text);

 public slots:
  void accept() override;

 private:
  UserDialogs& dialogs_;
  QAbstractSpinBox* spin_;
  double factor_;
};
