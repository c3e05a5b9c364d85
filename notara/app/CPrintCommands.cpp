#include "CPrintCommands.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "CMainWindow.h"
#include "CWaitCursorU.h"
#include "NotaraCommands.h"
#include "NotaraStrings.h"
#include "StaffPaper.h"
#include "UserDialogs.h"
#include "common/CStringU.h"
#include "common/RequestThread.h"

CPrintCommands::CPrintCommands(CMainWindow& window, nv::RequestThread& doc, const CAppSetting& settings,
                               UserDialogs& dialogs)
    : QObject(&window), window_(window), doc_(doc), settings_(settings), dialogs_(dialogs) {
  window_.SetCommandHandler(IDM_PRINT, [this] { Print(); });
  window_.SetCommandHandler(IDM_PRINT_PREVIEW, [this] { Preview(); });
}

void CPrintCommands::SetUp(QPrinter& printer) {
  printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                    QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter));
  printer.setDocName(QString::fromStdU16String(std::u16string(doc_.Name().View())));
  printer.setCreator(NotaraStrings::Text(IDS_APP_TITLE));
}

int CPrintCommands::PrintTo(QPrinter& printer) {
  CWaitCursorU wait;
  StaffPaper paper(doc_.Thread(), settings_);
  if (!paper.Init()) return 0;
  return paper.PaintPages(printer);
}

bool CPrintCommands::Print() {
  QPrinter printer(QPrinter::HighResolution);
  SetUp(printer);
  QPrintDialog dialog(&printer, &window_);
  if (dialogs_.Exec(dialog) != QDialog::Accepted) return false;
  if (PrintTo(printer) == 0) {
    dialogs_.MessageBox(&window_, QString::fromUtf8(kPrintFailed), NotaraStrings::Text(IDS_APP_TITLE),
                        MB_OK | MB_ICONERROR);
    return false;
  }
  return true;
}

bool CPrintCommands::Preview() {
  QPrinter printer(QPrinter::HighResolution);
  SetUp(printer);
  QPrintPreviewDialog dialog(&printer, &window_);
  bool failed = false;
  connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
          [this, &failed](QPrinter* target) { failed = PrintTo(*target) == 0 || failed; });
  dialogs_.Exec(dialog);
  if (failed) {
    dialogs_.MessageBox(&window_, QString::fromUtf8(kPrintFailed), NotaraStrings::Text(IDS_APP_TITLE),
                        MB_OK | MB_ICONERROR);
    return false;
  }
  return true;
}
