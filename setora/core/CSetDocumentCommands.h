// The set editor's document commands: New, Open, Save, Save As, the
// unsaved-changes question, Save melody, Add, Delete and Move. Each works
// through the document thread and the window's SetCommandsUi and answers
// with the change the window's list must follow; the list mirrors the
// document row for row.
//
// The has-file flag lives here: cleared by New and by a set that opened
// only in part, set by a successful Open or Save; while it is clear, Save
// asks for a name.
#pragma once

#include <string>
#include <vector>

#include "SetCommandsUi.h"
#include "SetDocClient.h"

class CAppPathU;

// What the list does after a command, in this order: rebuild every row from
// the document; or drop the removed rows (highest first) and renumber from
// the lowest; or reload the rows in place; then append the new rows from
// the document; then select one row alone (-1: leave the selection).
struct SetListChange {
  enum class Focus { kKeep, kList, kAddButton };

  bool rebuild = false;
  std::vector<int> removed;
  std::vector<int> reloaded;
  int appended = 0;
  int select = -1;
  bool scrollToTop = false;
  Focus focus = Focus::kKeep;
};

class CSetDocumentCommands {
 public:
  // The name of a new set, as the document takes it (Windows-1251) and the
  // title shows it.
  static constexpr const char* kNewSetName = "Новый набор.sto";
  static constexpr const char* kNewFailed = "Ошибка при создании нового документа";

  CSetDocumentCommands(const SetDocClient& doc, CAppPathU& paths, SetCommandsUi& ui);

  // Asks whether to save a changed set. true to go on (saved, No, or
  // nothing to save); false when the user cancelled or the save failed.
  bool ConfirmDiscard();

  SetListChange New();
  SetListChange Open();
  // Opens path without asking first (the set file given at start-up). A
  // file that cannot be opened is reported and the set and list stay as
  // they were (an empty change).
  SetListChange OpenPath(const std::string& path);
  // true when the set was saved.
  bool Save();
  bool SaveAs();
  // Saves the one selected melody (rows) as a melody file.
  void SaveMelody(const std::vector<int>& rows);
  // Adds the chosen melody files after the last row; a failing file ends
  // the series, the ones before it stay.
  SetListChange AddMelodies(int count);
  // Removes the selected rows after the question; a row the document
  // refuses stays. count: the rows before the removal.
  SetListChange DeleteMelodies(const std::vector<int>& rows, int count);
  // Swaps the one selected row with its neighbour.
  SetListChange MoveMelody(const std::vector<int>& rows, int count, bool up);

  bool HasFile() const { return hasFile_; }

 private:
  void ShowError(const CStringU& text);
  void ShowError(const char* utf8);
  // A full path's folder becomes the work folder.
  void RememberFolder(const std::string& path);

  SetDocClient doc_;
  CAppPathU& paths_;
  SetCommandsUi& ui_;
  bool hasFile_ = false;
};
