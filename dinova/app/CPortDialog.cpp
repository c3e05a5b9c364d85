#include "CPortDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "CPortSetting.h"
#include "UserDialogs.h"
#include "portix/PortSetting.h"

namespace {

QString SizeText(int bytes) {
  if (bytes < 1024) return QStringLiteral("%1 байт (ДЖН v2.0)").arg(bytes);
  return QStringLiteral("%1 КБайт (ДЖН v2.9)").arg(bytes / 1024);
}

}  // namespace

CPortDialog::CPortDialog(const std::string& setting, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), setting_(setting) {
  setObjectName(QStringLiteral("portDialog"));
  setWindowTitle(QStringLiteral("Порт звонка"));

  defaultPort_ = new QRadioButton(QStringLiteral("Первый параллельный порт (%1)").arg(portix::kDefaultPort), this);
  devicePort_ = new QRadioButton(QStringLiteral("Другой порт:"), this);
  device_ = new QLineEdit(this);
  device_->setPlaceholderText(QStringLiteral("/dev/parport1 или /dev/i2c-1"));
  virtualPort_ = new QRadioButton(QStringLiteral("Виртуальный звонок, файл образа памяти:"), this);
  image_ = new QLineEdit(this);
  browse_ = new QPushButton(QStringLiteral("Обзор..."), this);
  browse_->setAutoDefault(false);
  size_ = new QComboBox(this);
  for (int bytes : CPortSetting::kImageSizes) size_->addItem(SizeText(bytes), bytes);
  size_->setCurrentIndex(size_->findData(CPortSetting::kDefaultImageSize));
  auto* sizeLabel = new QLabel(QStringLiteral("Размер нового образа:"), this);
  error_ = new QLabel(this);
  error_->setObjectName(QStringLiteral("portError"));
  error_->setStyleSheet(QStringLiteral("color: #b00020;"));
  error_->setWordWrap(true);

  portix::PortSetting parsedPort;
  const bool parsed = portix::PortSetting::Parse(setting, &parsedPort);
  if (parsed && parsedPort.kind == portix::PortSetting::Kind::kVirtual) {
    virtualPort_->setChecked(true);
    image_->setText(QFile::decodeName(parsedPort.path.c_str()));
    const int index = size_->findData(static_cast<int>(parsedPort.newImageSize));
    if (index >= 0) size_->setCurrentIndex(index);
  } else if (parsed && !CPortSetting::IsDefault(setting)) {
    devicePort_->setChecked(true);
    device_->setText(QString::fromStdString(parsedPort.path));
  } else {
    defaultPort_->setChecked(true);
  }

  auto* grid = new QGridLayout;
  grid->setColumnMinimumWidth(0, 20);
  grid->addWidget(defaultPort_, 0, 0, 1, 3);
  grid->addWidget(devicePort_, 1, 0, 1, 3);
  grid->addWidget(device_, 2, 1, 1, 2);
  grid->addWidget(virtualPort_, 3, 0, 1, 3);
  grid->addWidget(image_, 4, 1);
  grid->addWidget(browse_, 4, 2);
  auto* sizeRow = new QHBoxLayout;
  sizeRow->addWidget(sizeLabel);
  sizeRow->addWidget(size_, 1);
  grid->addLayout(sizeRow, 5, 1, 1, 2);
  grid->setColumnStretch(1, 1);

  auto* note = new QLabel(
      QStringLiteral("Размер нужен только для нового файла: образ, который уже есть, сохраняет свой размер."), this);
  note->setWordWrap(true);
  QFont small = note->font();
  small.setPointSizeF(small.pointSizeF() * 0.9);
  note->setFont(small);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
  connect(buttons, &QDialogButtonBox::accepted, this, &CPortDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(browse_, &QPushButton::clicked, this, &CPortDialog::Browse);
  for (QRadioButton* choice : {defaultPort_, devicePort_, virtualPort_}) {
    connect(choice, &QRadioButton::toggled, this, &CPortDialog::UpdateEnabled);
  }

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(note);
  layout->addWidget(error_);
  layout->addWidget(buttons);
  setMinimumWidth(460);
  UpdateEnabled();
}

QString CPortDialog::ErrorText() const {
  return error_->text();
}

void CPortDialog::UpdateEnabled() {
  device_->setEnabled(devicePort_->isChecked());
  const bool image = virtualPort_->isChecked();
  image_->setEnabled(image);
  size_->setEnabled(image);
  browse_->setEnabled(image);
  error_->clear();
}

void CPortDialog::Browse() {
  QFileDialog chooser(this, QStringLiteral("Файл образа памяти звонка"));
  chooser.setOption(QFileDialog::DontUseNativeDialog, true);
  chooser.setAcceptMode(QFileDialog::AcceptSave);
  chooser.setFileMode(QFileDialog::AnyFile);
  chooser.setOption(QFileDialog::DontConfirmOverwrite, true);
  chooser.setNameFilters({QStringLiteral("Образ памяти (*.bin)"), QStringLiteral("Все файлы (*)")});
  chooser.setDefaultSuffix(QStringLiteral("bin"));
  chooser.setLabelText(QFileDialog::LookIn, QStringLiteral("Папка:"));
  chooser.setLabelText(QFileDialog::FileName, QStringLiteral("Имя файла:"));
  chooser.setLabelText(QFileDialog::FileType, QStringLiteral("Тип файлов:"));
  chooser.setLabelText(QFileDialog::Accept, QStringLiteral("Выбрать"));
  chooser.setLabelText(QFileDialog::Reject, QStringLiteral("Отмена"));
  const QString current = image_->text().trimmed();
  if (!current.isEmpty()) chooser.selectFile(current);
  if (dialogs_.Exec(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
  image_->setText(chooser.selectedFiles().first());
}

void CPortDialog::accept() {
  if (defaultPort_->isChecked()) {
    setting_ = portix::kDefaultPort;
  } else if (devicePort_->isChecked()) {
    if (!CPortSetting::IsDevicePath(device_->text().toStdString())) {
      error_->setText(QStringLiteral("Укажите устройство вида /dev/parportN или /dev/i2c-N."));
      return;
    }
    setting_ = device_->text().trimmed().toStdString();
  } else {
    const std::string setting =
        CPortSetting::Virtual(QFile::encodeName(image_->text()).toStdString(), size_->currentData().toInt());
    if (setting.empty()) {
      error_->setText(QStringLiteral("Укажите полный путь к файлу образа (без знака \"?\")."));
      return;
    }
    if (QFileInfo(image_->text().trimmed()).isDir()) {
      error_->setText(QStringLiteral("Это папка, а не файл образа."));
      return;
    }
    setting_ = setting;
  }
  QDialog::accept();
}
