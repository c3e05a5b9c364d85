// The set editor's string table: the application title, the registry key,
// the start-up failure, the tool tips of the buttons and size displays, and
// the messages the window itself shows.
#pragma once

#include <QString>

#include "CSetDocumentCommands.h"
#include "SetoraIds.h"

class SetoraStrings {
 public:
  // The text of a string or tool-tip identifier; empty for an unknown one.
  static QString Text(int id);

  static QString Title() { return Text(IDS_APP_TITLE); }

  // Texts of the window's own questions and errors.
  static constexpr const char* kNewSetName = CSetDocumentCommands::kNewSetName;
  static constexpr const char* kSaveQuestion = "Набор мелодий не сохранен.\nСохранить ?";
  static constexpr const char* kDeleteQuestion = "Удалить мелодию (мелодии) из набора ?";
  static constexpr const char* kNoMemory = "Ошибка при выделении памяти";
};
