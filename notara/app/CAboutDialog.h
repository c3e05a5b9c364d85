// CAboutDialog: "О программе": the program icon, the title line with the
// version, and where users get help.
#pragma once

#include "CAboutDialogU.h"

class CAboutDialog : public CAboutDialogU {
 public:
  static constexpr const char* kTitleLine = "Редактор мелодий   v2.92";

  explicit CAboutDialog(QWidget* parent);
};
