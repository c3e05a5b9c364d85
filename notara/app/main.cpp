// The melody editor. An optional first argument names a .mel file to open.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

#include "CNotaraApp.h"
#include "QtUserDialogs.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Qt's own dialogs (files, colours, fonts) speak Russian with the program
  // when the system has Qt's translations; otherwise they keep their English.
  QTranslator qtTexts;
  if (qtTexts.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qtTexts);
  }
  const QStringList arguments = QApplication::arguments();
  QtUserDialogs dialogs;
  CNotaraApp notara(dialogs);
  if (!notara.Start(arguments.size() > 1 ? arguments.at(1) : QString())) return 0;
  const int code = QApplication::exec();
  notara.Shutdown();
  return code;
}
