#include "CRingToneCommands.h"

#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include "CBellView.h"
#include "CMainWindow.h"
#include "CRingToneDialog.h"
#include "CStatusBarU.h"
#include "CTransposeDialog.h"
#include "NotaraCommands.h"
#include "NotaraStrings.h"
#include "RingToneImport.h"
#include "UserDialogs.h"
#include "WorkFolder.h"
#include "common/CAppPathU.h"

namespace {

QString Folded(LONG folded) {
  return QStringLiteral("Нот, перенесённых по октавам в диапазон звонка (Соль#3 - Ре#6): %1").arg(folded);
}

}  // namespace

CRingToneCommands::CRingToneCommands(CMainWindow& window, nv::RequestThread& doc, CAppPathU& paths,
                                     UserDialogs& dialogs)
    : QObject(&window), window_(window), doc_(doc), paths_(paths), dialogs_(dialogs) {
  window_.SetCommandHandler(IDM_IMPORT_RINGTONE, [this] { Import(); });
  window_.SetCommandHandler(IDM_EXPORT_RINGTONE, [this] { Export(); });
  window_.SetCommandHandler(IDM_COPY_RINGTONE, [this] { Copy(); });
  window_.SetCommandHandler(IDM_TRANSPOSE, [this] { Transpose(); });
}

void CRingToneCommands::Inform(const QString& text, UINT icon) {
  dialogs_.MessageBox(&window_, text, NotaraStrings::Text(IDS_APP_TITLE), MB_OK | icon);
}

bool CRingToneCommands::Import() {
  QString offered;
  if (const QClipboard* clipboard = QGuiApplication::clipboard()) {
    const QString text = clipboard->text();
    if (RingToneImport::IsRingTone(text.toStdString())) offered = text;
  }
  CRingToneDialog dialog(offered, dialogs_, paths_, &window_);
  if (dialogs_.Exec(dialog) != QDialog::Accepted) return false;

  const std::string text = dialog.Text();
  const RingToneImportBlock block{&text, dialog.Semitones(), dialog.Fit() ? 1 : 0, dialog.Insert() ? 1 : 0};
  RingToneImportResult result;
  if (!doc_.ImportRingTone(block, result)) {
    // The dialog accepted only a readable tune, so what remains is a melody
    // that plays or refused the change.
    Inform(result.error.empty() ? QStringLiteral("Мелодия не изменена") : QString::fromStdU16String(result.error),
           MB_ICONERROR);
    return false;
  }
  if (CBellView* view = window_.View()) {
    if (!dialog.Insert()) view->ResetScroll();
    view->Relayout(dialog.Insert());
  }
  window_.StatusBar().SetHelpText(QStringLiteral("Загружено нот и пауз: %1").arg(result.notes));
  if (result.folded > 0) Inform(Folded(result.folded), MB_ICONINFORMATION);
  return true;
}

void CRingToneCommands::TellRaised(const RingToneExportResult& result) {
  if (result.raised == 0) return;
  Inform(QStringLiteral("В тексте мелодии нет нот ниже До4, поэтому мелодия записана на октаву выше."),
         MB_ICONINFORMATION);
}

bool CRingToneCommands::Export() {
  FileDialogRequest request;
  request.filters = {{QStringLiteral("Текст мелодии (*.rtttl)"), QStringLiteral("*.rtttl")},
                     {QStringLiteral("Текстовые файлы (*.txt)"), QStringLiteral("*.txt")},
                     {QStringLiteral("Все файлы (*.*)"), QStringLiteral("*.*")}};
  request.initialDir = QString::fromStdString(paths_.WorkDir());
  request.initialName = QFileInfo(QString::fromStdString(doc_.Path())).completeBaseName();
  request.defaultSuffix = QStringLiteral("rtttl");
  const QString path = dialogs_.SaveFileName(&window_, request);
  if (path.isEmpty()) return false;
  WorkFolder::Remember(paths_, path);

  RingToneExportResult result;
  const QByteArray encoded = QFile::encodeName(path);
  if (!doc_.ExportRingTone(encoded.constData(), result)) {
    Inform(QString::fromStdU16String(result.error), MB_ICONERROR);
    return false;
  }
  TellRaised(result);
  return true;
}

bool CRingToneCommands::Copy() {
  RingToneExportResult result;
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  if (!doc_.ExportRingTone(nullptr, result)) {
    Inform(QString::fromStdU16String(result.error), MB_ICONERROR);
    return false;
  }
  clipboard->setText(QString::fromStdString(result.text).trimmed());
  window_.StatusBar().SetHelpText(QStringLiteral("Текст мелодии скопирован в буфер обмена"));
  TellRaised(result);
  return true;
}

bool CRingToneCommands::Transpose() {
  CTransposeDialog dialog(&window_);
  if (dialogs_.Exec(dialog) != QDialog::Accepted) return false;
  const TransposeBlock block{dialog.Semitones(), dialog.Fit() ? 1 : 0};
  LONG folded = 0;
  if (!doc_.Transpose(block, folded)) {
    Inform(QStringLiteral("Мелодия не изменена"), MB_ICONERROR);
    return false;
  }
  if (CBellView* view = window_.View()) view->Relayout(true);
  window_.StatusBar().SetHelpText(Folded(folded));
  if (folded > 0) Inform(Folded(folded), MB_ICONINFORMATION);
  return true;
}
