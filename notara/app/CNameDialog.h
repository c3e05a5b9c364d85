// The melody-name dialog: one edit with the current name, OK and Cancel.
#pragma once

#include <QDialog>

class QLineEdit;

class CNameDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kEditId = 1101;
  static constexpr int kMaxLength = 255;

  CNameDialog(const QString& name, QWidget* parent = nullptr);

  // The edited name (at most 255 characters).
  QString Name() const;
  QLineEdit* Edit() const { return edit_; }

 private:
  QLineEdit* edit_;
};
