#include "CMidiCommands.h"

#include <QFile>
#include <QFileInfo>

#include "CAboutDialog.h"
#include "CBellView.h"
#include "CDocumentFlows.h"
#include "CImportDialog.h"
#include "CImportProgressDialog.h"
#include "CMainWindow.h"
#include "DocMessages.h"
#include "HtmlHelpU.h"
#include "NotaraCommands.h"
#include "NotaraStrings.h"
#include "UserDialogs.h"
#include "WorkFolder.h"
#include "common/CAppPathU.h"
#include "common/CStringU.h"
#include "common/RequestThread.h"

namespace {

QString FromCString(const CStringU& text) {
  return QString::fromStdU16String(std::u16string(text.View()));
}

}  // namespace

CMidiCommands::CMidiCommands(CMainWindow& window, nv::RequestThread& doc, CAppPathU& paths, UserDialogs& dialogs)
    : QObject(&window), window_(window), doc_(doc), paths_(paths), dialogs_(dialogs) {
  window_.SetCommandHandler(IDM_IMPORT_MIDI, [this] { Import(); });
  window_.SetCommandHandler(IDM_EXPORT_MIDI, [this] { Export(); });
  window_.SetCommandHandler(IDM_HELP, [this] { Help(); });
  window_.SetCommandHandler(IDM_ABOUT, [this] { About(); });
}

bool CMidiCommands::Import() {
  if (!window_.Flows().ConfirmDiscard()) return false;
  FileDialogRequest request;
  // Qt separates a filter's patterns with spaces, so "(*.mid;*.kar)" would
  // match nothing: the description is given without its pattern list.
  request.filters = {{QStringLiteral("Midi файлы"), QStringLiteral("*.mid *.kar")},
                     {QStringLiteral("Все файлы (*.*)"), QStringLiteral("*.*")}};
  request.initialDir = QString::fromStdString(paths_.WorkDir());
  const QString path = dialogs_.OpenFileName(&window_, request);
  if (path.isEmpty()) return false;
  WorkFolder::Remember(paths_, path);

  {
    CImportProgressDialog progress(doc_.Thread(), dialogs_, path, &window_);
    if (dialogs_.Exec(progress) != QDialog::Accepted) {
      // What a failed read left behind is of no use to anyone.
      doc_.Run(DOCM_CH_CLEAR);
      dialogs_.MessageBox(&window_, QString::fromUtf8(kImportFailed), NotaraStrings::Text(IDS_APP_TITLE),
                          MB_OK | MB_ICONERROR);
      return false;
    }
  }

  bool taken = false;
  {
    CImportDialog fragment(doc_.Thread(), dialogs_, path, paths_.ProgramDir(), &window_);
    dialogs_.Exec(fragment);
    taken = fragment.Taken();
  }
  if (!taken) return false;
  window_.Flows().AdoptUntitled(FromCString(doc_.Name()));
  return true;
}

bool CMidiCommands::Export() {
  const std::string current = doc_.Path();
  FileDialogRequest request;
  request.filters = {{QStringLiteral("Файлы midi (*.mid)"), QStringLiteral("*.mid")},
                     {QStringLiteral("Все файлы (*.*)"), QStringLiteral("*.*")}};
  request.initialDir = QString::fromStdString(paths_.WorkDir());
  request.initialName = QFileInfo(QString::fromStdString(current)).completeBaseName();
  request.defaultSuffix = QStringLiteral("mid");
  const QString path = dialogs_.SaveFileName(&window_, request);
  if (path.isEmpty()) return false;
  WorkFolder::Remember(paths_, path);

  CStringU error;
  const QByteArray encoded = QFile::encodeName(path);
  if (!doc_.ExportMidi(encoded.constData(), error)) {
    window_.Flows().ShowError(FromCString(error));
    return false;
  }
  return true;
}

void CMidiCommands::Help() {
  // Without the help file nothing happens, as with a missing help viewer.
  HtmlHelpU::DisplayTopic(&window_, HtmlHelpU::Address(paths_.ProgramDir(), QString::fromUtf8(kHelpTopic)));
}

void CMidiCommands::About() {
  CAboutDialog about(&window_);
  dialogs_.Exec(about);
}
