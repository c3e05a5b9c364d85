// The melody set editor.
#include <QApplication>

#include "CSetoraApp.h"
#include "QtUserDialogs.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QtUserDialogs dialogs;
  CSetoraApp setora(dialogs);
  if (!setora.Start()) return 1;
  return setora.Run();
}
