// The doorbell programmer.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "CDinovaApp.h"
#include "QtUserDialogs.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  // Qt's own dialogs speak Russian with the program when the system has
  // Qt's translations; otherwise they keep their English.
  QTranslator qtTexts;
  if (qtTexts.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qtTexts);
  }
  QtUserDialogs dialogs;
  CDinovaApp dinova(dialogs);
  if (!dinova.Start()) return 0;
  const int code = QApplication::exec();
  dinova.Shutdown();
  return code;
}
