// The set editor's answers to its document commands: message boxes with the
// program's title, and the set and melody file dialogs starting in the work
// folder. Chosen files come back as file-system names.
#pragma once

#include "SetCommandsUi.h"

class CAppPathU;
class QWidget;
class UserDialogs;

class CSetCommandsDialogs : public SetCommandsUi {
 public:
  // owner: the parent of every box and dialog.
  CSetCommandsDialogs(CAppPathU& paths, UserDialogs& dialogs, QWidget* owner)
      : paths_(paths), dialogs_(dialogs), owner_(owner) {}

  Answer AskSaveChanges() override;
  bool AskDeleteMelodies() override;
  std::string ChooseSetToOpen() override;
  std::string ChooseSetToSave(const std::string& initialName) override;
  std::string ChooseMelodyToSave(const std::string& initialName) override;
  std::vector<std::string> ChooseMelodiesToAdd() override;
  void ShowError(const std::u16string& text) override;
  void SetBusy(bool busy) override;

 private:
  CAppPathU& paths_;
  UserDialogs& dialogs_;
  QWidget* owner_;
};
