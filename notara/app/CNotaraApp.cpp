#include "CNotaraApp.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>

#include "CBellView.h"
#include "CDocumentFlows.h"
#include "CMainWindow.h"
#include "CMidiCommands.h"
#include "CPrintCommands.h"
#include "CRingToneCommands.h"
#include "NotaraStrings.h"
#include "UserDialogs.h"

CNotaraApp::CNotaraApp(UserDialogs& dialogs, ObjectFactory factory)
    : dialogs_(dialogs),
      doc_(CDocThread::Ui{[this](const std::u16string& text) {
                            dialogs_.MessageBox(window_.get(), QString::fromStdU16String(text),
                                                NotaraStrings::Text(IDS_APP_TITLE), MB_OK | MB_ICONERROR);
                          },
                          [](bool busy) {
                            if (busy) {
                              QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
                            } else {
                              QApplication::restoreOverrideCursor();
                            }
                          }},
           std::move(factory)) {}

CNotaraApp::~CNotaraApp() {
  // The view's message target goes before the thread whose playback posts to it.
  doc_.SetViewWindow(nullptr);
  doc_.Close();
  window_.reset();
}

void CNotaraApp::ShowStartFailure() {
  dialogs_.MessageBox(nullptr, NotaraStrings::Text(IDS_INIT_FAILED), NotaraStrings::Text(IDS_APP_TITLE),
                      MB_OK | MB_ICONERROR);
}

bool CNotaraApp::Start(const QString& startupPath) {
  if (!paths_.Start(kKeyName)) {
    ShowStartFailure();
    return false;
  }
  settings_.Load();
  window_ = std::make_unique<CMainWindow>(doc_.Thread(), settings_, paths_, dialogs_);
  new CMidiCommands(*window_, doc_.Thread(), paths_, dialogs_);      // owned by the window
  new CPrintCommands(*window_, doc_.Thread(), settings_, dialogs_);  // owned by the window
  new CRingToneCommands(*window_, doc_.Thread(), paths_, dialogs_);  // owned by the window

  if (!doc_.Start()) {
    ShowStartFailure();
    return false;
  }

  QString path = startupPath;
  if (!path.isEmpty()) {
    const QString current = QDir::currentPath();
    if (!current.isEmpty()) paths_.SetWorkDir(QFile::encodeName(current).toStdString());
  }
  if (!window_->Flows().StartUp(path)) {
    ShowStartFailure();
    return false;
  }
  if (!window_->CreateView()) {
    ShowStartFailure();
    return false;
  }
  doc_.SetViewWindow(window_->View()->MessageWindow());
  window_->ShowAsPlaced();
  return true;
}

void CNotaraApp::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  paths_.Save();
  settings_.Save();
  doc_.SetViewWindow(nullptr);
  doc_.Close();
}
