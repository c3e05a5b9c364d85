#include "CDocumentFlows.h"

#include <QFile>
#include <QFileInfo>
#include <QWidget>
#include <utility>

#include "DocMessages.h"
#include "NotaraStrings.h"
#include "UserDialogs.h"
#include "common/CAppPathU.h"
#include "common/CStringU.h"
#include "common/RequestThread.h"
#include "platform/CodePage.h"

namespace {

FileDialogRequest MelodyFiles(const CAppPathU& paths) {
  FileDialogRequest request;
  request.filters = {{QStringLiteral("Мелодии (*.mel)"), QStringLiteral("*.mel")},
                     {QStringLiteral("Все файлы (*.*)"), QStringLiteral("*.*")}};
  request.filterIndex = 0;
  request.initialDir = QString::fromStdString(paths.WorkDir());
  return request;
}

// The folder (with a trailing '/') and the name with extension of a full
// path; false when the path names no file.
bool SplitPath(const QString& path, QString& folder, QString& fileName) {
  if (path.isEmpty()) return false;
  const QFileInfo info(path);
  fileName = info.fileName();
  if (fileName.isEmpty()) return false;
  folder = info.absolutePath();
  if (!folder.endsWith('/')) folder += '/';
  return true;
}

QString FromCString(const CStringU& text) {
  return QString::fromStdU16String(std::u16string(text.View()));
}

}  // namespace

CDocumentFlows::CDocumentFlows(nv::RequestThread& doc, CAppPathU& paths, UserDialogs& dialogs, QWidget* owner,
                               std::function<void()> resetView)
    : doc_(doc), paths_(paths), dialogs_(dialogs), owner_(owner), resetView_(std::move(resetView)) {}

void CDocumentFlows::ShowError(const QString& text) const {
  dialogs_.MessageBox(owner_, text, NotaraStrings::Text(IDS_APP_TITLE), MB_OK | MB_ICONERROR);
}

void CDocumentFlows::SetTitle(const QString& documentName) {
  if (owner_ != nullptr) owner_->setWindowTitle(NotaraStrings::Text(IDS_APP_TITLE) + " - " + documentName);
}

bool CDocumentFlows::ConfirmDiscard() {
  if (!doc_.IsModified()) return true;
  const int answer = dialogs_.MessageBox(owner_, QStringLiteral("Сохранить изменения в документе ?"),
                                         NotaraStrings::Text(IDS_APP_TITLE), MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDCANCEL) return false;
  if (answer == IDYES) return Save();
  return true;
}

bool CDocumentFlows::CreateNew() {
  const std::string name = nv::Utf8ToAnsi(kNewName);
  if (!doc_.New(name.c_str())) return false;
  SetTitle(QString::fromUtf8(kNewName));
  untitled_ = true;
  if (resetView_) resetView_();
  return true;
}

bool CDocumentFlows::New() {
  if (!ConfirmDiscard()) return false;
  if (!CreateNew()) {
    ShowError(QStringLiteral("Ошибка при создании нового документа"));
    return false;
  }
  return true;
}

bool CDocumentFlows::OpenPath(const QString& path) {
  QString folder;
  QString fileName;
  if (!SplitPath(path, folder, fileName)) return false;
  CStringU error;
  const QByteArray encoded = QFile::encodeName(path);
  if (!doc_.Open(encoded.constData(), error)) {
    ShowError(FromCString(error));
    return false;
  }
  SetTitle(fileName);
  untitled_ = false;
  if (resetView_) resetView_();
  return true;
}

bool CDocumentFlows::Open() {
  if (!ConfirmDiscard()) return false;
  const QString path = dialogs_.OpenFileName(owner_, MelodyFiles(paths_));
  if (path.isEmpty()) return false;
  QString folder;
  QString fileName;
  if (!SplitPath(path, folder, fileName)) return false;
  paths_.SetWorkDir(QFile::encodeName(folder).toStdString());
  return OpenPath(path);
}

bool CDocumentFlows::Save() {
  CStringU error;
  if (!untitled_) {
    if (!doc_.Save(nullptr, error)) {
      ShowError(FromCString(error));
      return false;
    }
    return true;
  }

  FileDialogRequest request = MelodyFiles(paths_);
  request.initialName = QFileInfo(QString::fromStdString(doc_.Path())).fileName();
  request.defaultSuffix = QStringLiteral("mel");
  const QString path = dialogs_.SaveFileName(owner_, request);
  if (path.isEmpty()) return false;
  QString folder;
  QString fileName;
  if (!SplitPath(path, folder, fileName)) return false;
  paths_.SetWorkDir(QFile::encodeName(folder).toStdString());

  const QByteArray encoded = QFile::encodeName(path);
  if (!doc_.Save(encoded.constData(), error)) {
    ShowError(FromCString(error));
    return false;
  }
  SetTitle(fileName);
  untitled_ = false;
  return true;
}

bool CDocumentFlows::SaveAs() {
  // A cancelled Save As leaves the document under the name it had.
  const bool wasUntitled = std::exchange(untitled_, true);
  const bool saved = Save();
  if (!saved) untitled_ = wasUntitled;
  return saved;
}

void CDocumentFlows::AdoptUntitled(const QString& documentName) {
  SetTitle(documentName);
  untitled_ = true;
  if (resetView_) resetView_();
}

bool CDocumentFlows::StartUp(const QString& path) {
  if (!path.isEmpty() && OpenPath(QFileInfo(path).absoluteFilePath())) return true;
  return CreateNew();
}
