#include "CSetCommandsDialogs.h"

#include <QApplication>
#include <QCursor>
#include <QFile>

#include "SetoraStrings.h"
#include "UserDialogs.h"
#include "common/CAppPathU.h"

namespace {

FileDialogRequest FileRequest(const CAppPathU& paths, const char* description, const char* pattern,
                              const char* suffix) {
  FileDialogRequest request;
  request.filters = {{QString::fromUtf8(description), QString::fromUtf8(pattern)},
                     {QStringLiteral("Все файлы"), QStringLiteral("*.*")}};
  request.initialDir = QString::fromStdString(paths.WorkDir());
  request.defaultSuffix = QString::fromUtf8(suffix);
  return request;
}

FileDialogRequest SetFiles(const CAppPathU& paths) {
  return FileRequest(paths, "Набор мелодий", "*.sto", "sto");
}

FileDialogRequest MelodyFiles(const CAppPathU& paths) {
  return FileRequest(paths, "Мелодия", "*.mel", "mel");
}

// A chosen file as the document takes it: its file-system name; empty for
// a cancelled choice.
std::string Encoded(const QString& path) {
  return path.isEmpty() ? std::string() : QFile::encodeName(path).toStdString();
}

}  // namespace

SetCommandsUi::Answer CSetCommandsDialogs::AskSaveChanges() {
  const int answer = dialogs_.MessageBox(owner_, QString::fromUtf8(SetoraStrings::kSaveQuestion), SetoraStrings::Title(),
                                         MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDYES) return Answer::kYes;
  if (answer == IDNO) return Answer::kNo;
  return Answer::kCancel;
}

bool CSetCommandsDialogs::AskDeleteMelodies() {
  return dialogs_.MessageBox(owner_, QString::fromUtf8(SetoraStrings::kDeleteQuestion), SetoraStrings::Title(),
                             MB_YESNO | MB_ICONQUESTION) == IDYES;
}

std::string CSetCommandsDialogs::ChooseSetToOpen() {
  return Encoded(dialogs_.OpenFileName(owner_, SetFiles(paths_)));
}

std::string CSetCommandsDialogs::ChooseSetToSave(const std::string& initialName) {
  FileDialogRequest request = SetFiles(paths_);
  request.initialName = QString::fromStdString(initialName);
  return Encoded(dialogs_.SaveFileName(owner_, request));
}

std::string CSetCommandsDialogs::ChooseMelodyToSave(const std::string& initialName) {
  FileDialogRequest request = MelodyFiles(paths_);
  request.initialName = QString::fromStdString(initialName);
  return Encoded(dialogs_.SaveFileName(owner_, request));
}

std::vector<std::string> CSetCommandsDialogs::ChooseMelodiesToAdd() {
  std::vector<std::string> paths;
  for (const QString& file : dialogs_.OpenFileNames(owner_, MelodyFiles(paths_))) paths.push_back(Encoded(file));
  return paths;
}

void CSetCommandsDialogs::ShowError(const std::u16string& text) {
  dialogs_.MessageBox(owner_, QString::fromStdU16String(text), SetoraStrings::Title(), MB_OK | MB_ICONERROR);
}

void CSetCommandsDialogs::SetBusy(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  } else {
    QApplication::restoreOverrideCursor();
  }
}
