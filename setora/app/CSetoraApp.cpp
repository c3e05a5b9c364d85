#include "CSetoraApp.h"

#include <QFileInfo>

#include "CSetoraWindow.h"
#include "SetDocClient.h"
#include "SetoraStrings.h"
#include "UserDialogs.h"
#include "platform/CodePage.h"

CSetoraApp::CSetoraApp(UserDialogs& dialogs, ObjectFactory factory) : dialogs_(dialogs), doc_(std::move(factory)) {}

CSetoraApp::~CSetoraApp() {
  Shutdown();
}

void CSetoraApp::ShowStartFailure() {
  dialogs_.MessageBox(nullptr, SetoraStrings::Text(IDS_INIT_FAILED), SetoraStrings::Title(), MB_OK | MB_ICONERROR);
}

bool CSetoraApp::Start(const QString& path) {
  const std::string key = SetoraStrings::Text(IDS_REGISTRY_KEY).toStdString();
  if (!paths_.Start(key) || !doc_.Start()) {
    ShowStartFailure();
    return false;
  }
  started_ = true;
  const std::string name = nv::Utf8ToAnsi(SetoraStrings::kNewSetName);
  if (!SetDocClient(doc_.Thread()).New(name.c_str())) {
    ShowStartFailure();
    return false;
  }
  window_ = std::make_unique<CSetoraWindow>(doc_, paths_, dialogs_);
  window_->Initialise();
  if (!path.isEmpty()) window_->OpenStartupFile(QFileInfo(path).absoluteFilePath());
  return true;
}

int CSetoraApp::Run() {
  if (!window_) return 1;
  window_->exec();
  Shutdown();
  return 0;
}

void CSetoraApp::Shutdown() {
  if (!started_) return;
  started_ = false;
  doc_.Close();
  paths_.Save();
}
