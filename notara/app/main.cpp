// The melody editor. An optional first argument names a .mel file to open.
#include <QApplication>
#include <QStringList>

#include "CNotaraApp.h"
#include "QtRussianTexts.h"
#include "QtUserDialogs.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  InstallQtRussianTexts();
  const QStringList arguments = QApplication::arguments();
  QtUserDialogs dialogs;
  CNotaraApp notara(dialogs);
  if (!notara.Start(arguments.size() > 1 ? arguments.at(1) : QString())) return 0;
  const int code = QApplication::exec();
  notara.Shutdown();
  return code;
}
