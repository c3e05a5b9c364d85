#include "CSetoraApp.h"

#include "CSetoraWindow.h"
#include "SetoraMessages.h"
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

bool CSetoraApp::Start() {
  const std::string key = SetoraStrings::Text(IDS_REGISTRY_KEY).toStdString();
  if (!paths_.Start(key) || !doc_.Start()) {
    ShowStartFailure();
    return false;
  }
  started_ = true;
  const std::string name = nv::Utf8ToAnsi(SetoraStrings::kNewSetName);
  if (doc_.Send(SDM_NEW, 0, reinterpret_cast<LPARAM>(name.c_str())) == 0) {
    ShowStartFailure();
    return false;
  }
  window_ = std::make_unique<CSetoraWindow>(doc_, paths_, dialogs_);
  window_->Initialise();
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
