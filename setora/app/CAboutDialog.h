// The "О программе" box: the program's icon, name and version, closed by OK
// or the close box.
#pragma once

#include <QDialog>

class CAboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDialog(QWidget* parent = nullptr);
};
