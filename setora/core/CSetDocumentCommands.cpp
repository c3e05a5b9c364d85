#include "CSetDocumentCommands.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "common/CAppPathU.h"
#include "platform/CodePage.h"

namespace {

// The file name of a path, for a save dialog's initial name.
std::string FileNameOf(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

// Shows the wait cursor for a scope.
class Busy {
 public:
  explicit Busy(SetCommandsUi& ui) : ui_(ui) { ui_.SetBusy(true); }
  ~Busy() { ui_.SetBusy(false); }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;

 private:
  SetCommandsUi& ui_;
};

}  // namespace

CSetDocumentCommands::CSetDocumentCommands(const SetDocClient& doc, CAppPathU& paths, SetCommandsUi& ui)
    : doc_(doc), paths_(paths), ui_(ui) {}

void CSetDocumentCommands::ShowError(const CStringU& text) {
  ui_.ShowError(std::u16string(text.View()));
}

void CSetDocumentCommands::ShowError(const char* utf8) {
  ui_.ShowError(nv::Utf8ToWide(utf8));
}

void CSetDocumentCommands::RememberFolder(const std::string& path) {
  std::error_code error;
  std::filesystem::path full = std::filesystem::absolute(path, error);
  if (error) full = path;
  paths_.SetWorkDir(full.parent_path().string());
}

bool CSetDocumentCommands::ConfirmDiscard() {
  if (!doc_.IsModified()) return true;
  switch (ui_.AskSaveChanges()) {
    case SetCommandsUi::Answer::kCancel:
      return false;
    case SetCommandsUi::Answer::kNo:
      return true;
    case SetCommandsUi::Answer::kYes:
      // Only a set really saved lets the command go on: a cancelled save
      // dialog or a failed save keeps the changes on screen.
      return Save();
  }
  return false;
}

SetListChange CSetDocumentCommands::New() {
  SetListChange change;
  if (!ConfirmDiscard()) return change;
  const std::string name = nv::Utf8ToAnsi(kNewSetName);
  if (!doc_.New(name.c_str())) {
    ShowError(kNewFailed);
    return change;
  }
  hasFile_ = false;
  change.rebuild = true;
  change.focus = SetListChange::Focus::kAddButton;
  return change;
}

SetListChange CSetDocumentCommands::Open() {
  if (!ConfirmDiscard()) return {};
  const std::string path = ui_.ChooseSetToOpen();
  if (path.empty()) return {};
  RememberFolder(path);
  return OpenPath(path);
}

SetListChange CSetDocumentCommands::OpenPath(const std::string& path) {
  SetListChange change;
  CStringU error;
  if (!doc_.Open(path.c_str(), error)) {
    // The document keeps the set it had, and so does the list.
    ShowError(error);
    return change;
  }
  hasFile_ = true;
  change.rebuild = true;
  change.select = 0;
  change.scrollToTop = true;
  change.focus = SetListChange::Focus::kList;
  return change;
}

bool CSetDocumentCommands::Save() {
  std::string path;
  if (!hasFile_) {
    path = ui_.ChooseSetToSave(FileNameOf(doc_.Path()));
    if (path.empty()) return false;
    RememberFolder(path);
  }
  CStringU error;
  if (!doc_.Save(path.empty() ? nullptr : path.c_str(), error)) {
    ShowError(error);
    return false;
  }
  hasFile_ = true;
  return true;
}

bool CSetDocumentCommands::SaveAs() {
  const bool hadFile = std::exchange(hasFile_, false);
  if (Save()) return true;
  hasFile_ = hadFile;
  return false;
}

void CSetDocumentCommands::SaveMelody(const std::vector<int>& rows) {
  if (rows.size() != 1) return;
  const int row = rows.front();
  // A melody's name may hold characters a file name cannot.
  std::string name = doc_.Name(row).ToUtf8();
  std::replace(name.begin(), name.end(), '/', '_');
  const std::string path = ui_.ChooseMelodyToSave(name);
  if (path.empty()) return;
  CStringU error;
  if (!doc_.SaveMelody(row, path.c_str(), error)) ShowError(error);
}

SetListChange CSetDocumentCommands::AddMelodies(int count) {
  SetListChange change;
  const std::vector<std::string> files = ui_.ChooseMelodiesToAdd();
  if (files.empty()) return change;
  RememberFolder(files.front());

  const Busy busy(ui_);
  for (const std::string& file : files) {
    CStringU error;
    if (!doc_.AddMelody(file.c_str(), error)) {
      // The files before this one stay in the set and in the list.
      ShowError(error);
      break;
    }
    ++change.appended;
  }
  if (change.appended > 0) change.select = count + change.appended - 1;
  change.focus = SetListChange::Focus::kList;
  return change;
}

SetListChange CSetDocumentCommands::DeleteMelodies(const std::vector<int>& rows, int count) {
  SetListChange change;
  if (rows.empty() || !ui_.AskDeleteMelodies()) return change;
  // From the highest index down, so the lower indices stay valid.
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    if (doc_.Delete(*it)) change.removed.push_back(*it);
  }
  const int left = count - static_cast<int>(change.removed.size());
  if (left == 0) {
    change.focus = SetListChange::Focus::kAddButton;
  } else {
    change.select = std::min(rows.front(), left - 1);
    change.focus = SetListChange::Focus::kList;
  }
  return change;
}

SetListChange CSetDocumentCommands::MoveMelody(const std::vector<int>& rows, int count, bool up) {
  SetListChange change;
  if (rows.size() != 1) return change;
  const int row = rows.front();
  const int other = up ? row - 1 : row + 1;
  if (other < 0 || other >= count) return change;
  if (!(up ? doc_.MoveUp(row) : doc_.MoveDown(row))) return change;
  change.reloaded = {row, other};
  change.select = other;
  change.focus = SetListChange::Focus::kList;
  return change;
}
