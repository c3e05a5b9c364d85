// What the set editor's document commands ask of the window: questions,
// file choices, error boxes and the wait cursor. Paths are UTF-8
// file-system names; an empty answer means the user cancelled.
#pragma once

#include <string>
#include <vector>

class SetCommandsUi {
 public:
  enum class Answer { kYes, kNo, kCancel };

  virtual ~SetCommandsUi() = default;

  // "Save the changed set?" with Yes, No and Cancel.
  virtual Answer AskSaveChanges() = 0;
  // "Delete the selected melodies?"; true for Yes.
  virtual bool AskDeleteMelodies() = 0;
  virtual std::string ChooseSetToOpen() = 0;
  virtual std::string ChooseSetToSave(const std::string& initialName) = 0;
  virtual std::string ChooseMelodyToSave(const std::string& initialName) = 0;
  virtual std::vector<std::string> ChooseMelodiesToAdd() = 0;
  virtual void ShowError(const std::u16string& text) = 0;
  // The wait cursor while a command reads files.
  virtual void SetBusy(bool busy) = 0;
};
