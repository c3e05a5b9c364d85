// The "О программе" box: the program's icon, name and version, closed by OK.
#pragma once

#include "CAboutDialogU.h"

class CAboutDialog : public CAboutDialogU {
 public:
  explicit CAboutDialog(QWidget* parent = nullptr);
};
