#include "CCheckedFileDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "CCommandStatesU.h"
#include "DeviceClient.h"
#include "DinovaIcons.h"
#include "DinovaIds.h"
#include "platform/Kernel.h"

CCheckedFileDialog::CCheckedFileDialog(CFileChecker::Kind kind, const CAppendRules::Limits& limits,
                                       DeviceClient* device, const QString& folder, QWidget* parent)
    : QFileDialog(parent), kind_(kind), limits_(limits), device_(device) {
  const bool melody = kind == CFileChecker::Kind::Melody;
  setObjectName(melody ? QStringLiteral("melodyOpenDialog") : QStringLiteral("setOpenDialog"));
  setOption(QFileDialog::DontUseNativeDialog, true);
  setAcceptMode(QFileDialog::AcceptOpen);
  setFileMode(QFileDialog::ExistingFile);
  setWindowTitle(QStringLiteral("Открыть"));
  setLabelText(QFileDialog::LookIn, QStringLiteral("Папка:"));
  setLabelText(QFileDialog::FileName, QStringLiteral("Имя файла:"));
  setLabelText(QFileDialog::FileType, QStringLiteral("Тип файлов:"));
  setLabelText(QFileDialog::Accept, QStringLiteral("Открыть"));
  setLabelText(QFileDialog::Reject, QStringLiteral("Отмена"));
  setNameFilters({melody ? QStringLiteral("Мелодия (*.mel)") : QStringLiteral("Набор мелодий (*.sto)"),
                  QStringLiteral("Все файлы (*)")});
  setDefaultSuffix(melody ? QStringLiteral("mel") : QStringLiteral("sto"));
  if (!folder.isEmpty()) setDirectory(folder);

  // The checker panel under the dialog's own controls.
  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("checkPanel"));
  CCommandStatesU::SetControlId(panel, melody ? IDD_MELODY_CHECK : IDD_SET_CHECK);
  panel->setFrameShape(QFrame::StyledPanel);
  auto* row = new QHBoxLayout(panel);
  row->setContentsMargins(8, 6, 8, 6);
  if (melody) {
    play_ = new QPushButton(DinovaIcons::Icon(IDI_PLAY), QString(), panel);
    play_->setObjectName(QStringLiteral("playButton"));
    play_->setToolTip(QStringLiteral("Прослушать мелодию"));
    CCommandStatesU::SetControlId(play_, IDC_PLAY);
    stop_ = new QPushButton(DinovaIcons::Icon(IDI_STOP), QString(), panel);
    stop_->setObjectName(QStringLiteral("stopButton"));
    stop_->setToolTip(QStringLiteral("Остановить"));
    CCommandStatesU::SetControlId(stop_, IDC_STOP);
    for (QPushButton* button : {play_, stop_}) {
      button->setAutoDefault(false);
      button->setIconSize(QSize(20, 20));
      button->setEnabled(false);
      row->addWidget(button);
    }
    connect(play_, &QPushButton::clicked, this, &CCheckedFileDialog::Play);
    connect(stop_, &QPushButton::clicked, this, &CCheckedFileDialog::Stop);
    row->addSpacing(8);
  }
  text_ = new QLabel(panel);
  text_->setObjectName(QStringLiteral("checkText"));
  text_->setMinimumHeight(24);
  CCommandStatesU::SetControlId(text_, IDC_CHECK_TEXT);
  row->addWidget(text_, 1);

  if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
    grid->addWidget(panel, grid->rowCount(), 0, 1, grid->columnCount());
  } else if (layout() != nullptr) {
    layout()->addWidget(panel);
  }

  resize(760, 500);

  poll_ = new QTimer(this);
  poll_->setInterval(kPlayPollMs);
  connect(poll_, &QTimer::timeout, this, &CCheckedFileDialog::PollPreview);

  // Choosing a file in the list writes its name into the name field, so the
  // field alone tells of every change.
  if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
    connect(name, &QLineEdit::textChanged, this, &CCheckedFileDialog::Recheck);
  } else {
    connect(this, &QFileDialog::currentChanged, this, &CCheckedFileDialog::Recheck);
  }
  connect(this, &QFileDialog::directoryEntered, this, &CCheckedFileDialog::Recheck);
  Recheck();
}

CCheckedFileDialog::~CCheckedFileDialog() {
  StopAndWait();
}

QString CCheckedFileDialog::TypedName() const {
  if (const auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) return name->text();
  const QStringList files = selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}

void CCheckedFileDialog::SetFileName(const QString& name) {
  if (auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
    edit->setText(name);
  } else {
    selectFile(name);
    Recheck();
  }
}

QString CCheckedFileDialog::ChosenPath() const {
  if (result() != QDialog::Accepted) return {};
  const QStringList files = selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}

QString CCheckedFileDialog::PathFor(const QString& folder, const QString& name) const {
  const QString trimmed = name.trimmed();
  if (trimmed.isEmpty()) return {};
  QString path = QFileInfo(trimmed).isAbsolute() ? trimmed : QDir(folder).filePath(trimmed);
  if (QFileInfo(trimmed).suffix().isEmpty() && !QFileInfo(path).isDir()) {
    path += kind_ == CFileChecker::Kind::Melody ? QStringLiteral(".mel") : QStringLiteral(".sto");
  }
  return path;
}

QString CCheckedFileDialog::CheckText() const {
  return text_->text();
}

void CCheckedFileDialog::Recheck() {
  StopAndWait();
  const QString path = PathFor(directory().absolutePath(), TypedName());
  checkedPath_ = path;
  check_ = CFileChecker::Check(kind_, QFile::encodeName(path).toStdString(), limits_);
  text_->setText(QString::fromStdString(CAppendRules::Text(kind_, check_, limits_)));
  okEnabled_ = check_.verdict == CFileChecker::Verdict::Fits;
  if (play_ != nullptr) {
    play_->setEnabled(okEnabled_ && device_ != nullptr);
    stop_->setEnabled(false);
  }
  ApplyOk();
  // The dialog sets its own button state after some of its changes; the
  // checker's word is applied again once those are done.
  QTimer::singleShot(0, this, &CCheckedFileDialog::ApplyOk);
}

void CCheckedFileDialog::ApplyOk() {
  const auto* box = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
  QPushButton* ok = box != nullptr ? box->button(QDialogButtonBox::Open) : nullptr;
  if (ok == nullptr && box != nullptr) ok = box->button(QDialogButtonBox::Ok);
  if (ok != nullptr) ok->setEnabled(okEnabled_);
}

void CCheckedFileDialog::accept() {
  // A folder typed into the name field is entered as usual.
  const QString path = PathFor(directory().absolutePath(), TypedName());
  if (QFileInfo(path).isDir()) {
    QFileDialog::accept();
    return;
  }
  if (!okEnabled_) return;
  QFileDialog::accept();
}

void CCheckedFileDialog::done(int result) {
  StopAndWait();
  QFileDialog::done(result);
}

void CCheckedFileDialog::Play() {
  if (device_ == nullptr || !okEnabled_ || previewing_) return;
  std::u16string error;
  if (!device_->LoadMelody(QFile::encodeName(checkedPath_).toStdString(), error) || !device_->Play()) return;
  previewing_ = true;
  play_->setEnabled(false);
  stop_->setEnabled(true);
  poll_->start();
}

void CCheckedFileDialog::Stop() {
  if (device_ != nullptr && previewing_) device_->Stop();
  PollPreview();
}

void CCheckedFileDialog::PollPreview() {
  if (!previewing_) {
    poll_->stop();
    return;
  }
  if (device_ != nullptr && !device_->IsStopped()) return;
  previewing_ = false;
  poll_->stop();
  if (play_ != nullptr) {
    play_->setEnabled(okEnabled_);
    stop_->setEnabled(false);
  }
}

void CCheckedFileDialog::StopAndWait() {
  if (!previewing_ || device_ == nullptr) return;
  device_->Stop();
  for (int waited = 0; waited < kStopWaitMs && !device_->IsStopped(); waited += 10) Sleep(10);
  PollPreview();
}
