// The doorbell programmer.
#include <QApplication>

#include "CDinovaApp.h"
#include "QtRussianTexts.h"
#include "QtUserDialogs.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  InstallQtRussianTexts();
  QtUserDialogs dialogs;
  CDinovaApp dinova(dialogs);
  if (!dinova.Start()) return 0;
  const int code = QApplication::exec();
  dinova.Shutdown();
  return code;
}
