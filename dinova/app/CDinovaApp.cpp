#include "CDinovaApp.h"

#include <QApplication>

#include "CBellWindow.h"
#include "CPortDialog.h"
#include "CPortSetting.h"
#include "DinovaStrings.h"
#include "UserDialogs.h"

CDinovaApp::CDinovaApp(UserDialogs& dialogs) : dialogs_(dialogs) {}

CDinovaApp::~CDinovaApp() {
  Shutdown();
}

void CDinovaApp::ShowStartFailure(const QString& detail) {
  QString text = QString::fromUtf8(DinovaStrings::kInitFailed);
  if (!detail.isEmpty()) text += QStringLiteral("\n\n") + detail;
  dialogs_.MessageBox(nullptr, text, QString::fromUtf8(DinovaStrings::Text(IDS_CAPTION)), MB_OK | MB_ICONERROR);
}

bool CDinovaApp::Initialise(QString& detail) {
  std::u16string error;
  if (client_.Initialise(error)) return true;
  detail = QString::fromStdU16String(error);
  return false;
}

bool CDinovaApp::Start() {
  if (!paths_.Start(DinovaStrings::Text(IDS_KEY_NAME))) {
    ShowStartFailure({});
    return false;
  }
  if (!device_.Start()) {
    ShowStartFailure({});
    return false;
  }
  QString detail;
  while (!Initialise(detail)) {
    const std::string port = CPortSetting::Read();
    if (CPortSetting::IsDefault(port)) {
      ShowStartFailure(detail);
      return false;
    }
    // A port that has gone (an adapter unplugged, an image folder removed)
    // must not lock the user out: offer to choose another one.
    const QString ask = QString::fromUtf8(DinovaStrings::kInitFailed) + QStringLiteral("\n\n") + detail +
                        QStringLiteral(": ") + QString::fromStdString(CPortSetting::Describe(port)) +
                        QStringLiteral(".\n\nВыбрать другой порт?");
    if (dialogs_.MessageBox(nullptr, ask, QString::fromUtf8(DinovaStrings::Text(IDS_CAPTION)),
                            MB_YESNO | MB_ICONERROR) != IDYES) {
      return false;
    }
    CPortDialog dialog(port, dialogs_);
    if (dialogs_.Exec(dialog) != QDialog::Accepted) return false;
    if (!CPortSetting::Write(dialog.Setting())) {
      ShowStartFailure({});
      return false;
    }
  }

  window_ = std::make_unique<CBellWindow>(client_, paths_, dialogs_);
  QObject::connect(window_.get(), &QDialog::finished, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
  window_->show();
  return true;
}

void CDinovaApp::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  // The bell object goes with the thread, after its worker has ended; its
  // messages are no longer wanted.
  const bool ran = window_ != nullptr;
  device_.Close();
  window_.reset();
  if (ran) paths_.Save();
}
