// The editor's string table. Command identifiers double as keys: the text
// of a command holds its tool tip, a line break and its status-bar help.
#pragma once

#include <QString>

enum StringId : int {
  IDS_APP_TITLE = 5000,   // "Редактор мелодий"
  IDS_READY = 5001,       // idle text of the status bar
  IDS_INIT_FAILED = 5002  // start-up failure
};

class NotaraStrings {
 public:
  // The whole entry; empty for an unknown identifier.
  static QString Text(int id);
  // The part before the line break (at most 100 characters), for tool tips.
  static QString ToolTip(int id);
  // The part after the line break, for the status bar; empty without one.
  static QString StatusHelp(int id);
};
