// The editor's work folder: where its file dialogs start. A file the user
// chose makes its folder the work folder.
#pragma once

#include <QString>

class CAppPathU;

class WorkFolder {
 public:
  // file's folder, with a trailing '/', becomes the work folder.
  static void Remember(CAppPathU& paths, const QString& file);
};
