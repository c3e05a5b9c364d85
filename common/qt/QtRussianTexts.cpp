#include "QtRussianTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallQtRussianTexts() {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return false;
  auto* texts = new QTranslator(app);
  if (!texts->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !QCoreApplication::installTranslator(texts)) {
    delete texts;
    return false;
  }
  return true;
}
