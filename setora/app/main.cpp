// The melody set editor. An optional first argument names a .sto file to open.
#include <QApplication>
#include <QStringList>

#include "CSetoraApp.h"
#include "QtRussianTexts.h"
#include "QtUserDialogs.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  InstallQtRussianTexts();
  const QStringList arguments = QApplication::arguments();
  QtUserDialogs dialogs;
  CSetoraApp setora(dialogs);
  if (!setora.Start(arguments.size() > 1 ? arguments.at(1) : QString())) return 1;
  return setora.Run();
}
