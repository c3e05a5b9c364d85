#include "WorkFolder.h"

#include <QFile>
#include <QFileInfo>

#include "common/CAppPathU.h"

void WorkFolder::Remember(CAppPathU& paths, const QString& file) {
  QString folder = QFileInfo(file).absolutePath();
  if (!folder.endsWith('/')) folder += '/';
  paths.SetWorkDir(QFile::encodeName(folder).toStdString());
}
