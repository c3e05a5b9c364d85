#include "CRingToneDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "NotaraStrings.h"
#include "RingToneImport.h"
#include "UserDialogs.h"
#include "WorkFolder.h"
#include "common/CAppPathU.h"

CRingToneDialog::CRingToneDialog(const QString& text, UserDialogs& dialogs, CAppPathU& paths, QWidget* parent)
    : QDialog(parent),
      dialogs_(dialogs),
      paths_(paths),
      edit_(new QPlainTextEdit(this)),
      summary_(new QLabel(this)),
      semitones_(new QSpinBox(this)),
      fit_(new QCheckBox(QStringLiteral("&Уложить в диапазон звонка"), this)),
      replace_(new QRadioButton(QStringLiteral("&Заменить мелодию"), this)),
      insert_(new QRadioButton(QStringLiteral("&Вставить после текущей ноты"), this)) {
  setObjectName(QStringLiteral("dialog1600"));
  setWindowTitle(QStringLiteral("Импорт текста мелодии"));
  edit_->setObjectName(QStringLiteral("edit1601"));
  edit_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  edit_->setMinimumSize(460, 120);
  // Tab leaves the text for the options: a tune never holds a tab.
  edit_->setTabChangesFocus(true);
  edit_->setPlaceholderText(QStringLiteral("Название:d=4,o=5,b=120:8e6,8d#6,8e6,..."));
  auto* label = new QLabel(QStringLiteral("&Текст мелодии:"), this);
  label->setBuddy(edit_);
  auto* fromFile = new QPushButton(QStringLiteral("Из &файла..."), this);
  fromFile->setObjectName(QStringLiteral("button1602"));
  summary_->setObjectName(QStringLiteral("static1603"));
  summary_->setWordWrap(true);
  summary_->setMinimumHeight(2 * summary_->fontMetrics().height());
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  semitones_->setObjectName(QStringLiteral("edit1604"));
  semitones_->setRange(-RingToneImport::kMaxSemitones, RingToneImport::kMaxSemitones);
  semitones_->setSuffix(QStringLiteral(" полут."));
  fit_->setObjectName(QStringLiteral("check1605"));
  replace_->setObjectName(QStringLiteral("radio1606"));
  insert_->setObjectName(QStringLiteral("radio1607"));
  replace_->setChecked(true);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(fromFile, &QPushButton::clicked, this, [this] { LoadFromFile(); });
  connect(edit_, &QPlainTextEdit::textChanged, this, &CRingToneDialog::Update);
  connect(semitones_, &QSpinBox::valueChanged, this, &CRingToneDialog::Update);
  connect(fit_, &QCheckBox::toggled, this, &CRingToneDialog::Update);

  auto* top = new QHBoxLayout;
  top->addWidget(label);
  top->addStretch();
  top->addWidget(fromFile);
  auto* shift = new QHBoxLayout;
  auto* shiftLabel = new QLabel(QStringLiteral("Транспонировать &на:"), this);
  shiftLabel->setBuddy(semitones_);
  shift->addWidget(shiftLabel);
  shift->addWidget(semitones_);
  shift->addSpacing(12);
  shift->addWidget(fit_);
  shift->addStretch();
  auto* mode = new QHBoxLayout;
  mode->addWidget(replace_);
  mode->addWidget(insert_);
  mode->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(edit_);
  layout->addWidget(summary_);
  layout->addLayout(shift);
  layout->addLayout(mode);
  layout->addSpacing(6);
  layout->addWidget(buttons);

  edit_->setPlainText(text);
  Update();
}

std::string CRingToneDialog::Text() const {
  return edit_->toPlainText().toStdString();
}

void CRingToneDialog::SetText(const QString& text) {
  edit_->setPlainText(text);
}

int CRingToneDialog::Semitones() const {
  return semitones_->value();
}

void CRingToneDialog::SetSemitones(int semitones) {
  semitones_->setValue(semitones);
}

bool CRingToneDialog::Fit() const {
  return fit_->isChecked();
}

void CRingToneDialog::SetFit(bool fit) {
  fit_->setChecked(fit);
}

bool CRingToneDialog::Insert() const {
  return insert_->isChecked();
}

void CRingToneDialog::SetInsert(bool insert) {
  (insert ? insert_ : replace_)->setChecked(true);
}

QString CRingToneDialog::Summary() const {
  return summary_->text();
}

bool CRingToneDialog::CanAccept() const {
  return ok_->isEnabled();
}

bool CRingToneDialog::LoadFromFile() {
  FileDialogRequest request;
  request.filters = {{QStringLiteral("Текст мелодии (*.rtttl *.txt)"), QStringLiteral("*.rtttl *.txt")},
                     {QStringLiteral("Все файлы (*.*)"), QStringLiteral("*.*")}};
  request.initialDir = QString::fromStdString(paths_.WorkDir());
  const QString path = dialogs_.OpenFileName(this, request);
  if (path.isEmpty()) return false;
  WorkFolder::Remember(paths_, path);

  std::string text;
  std::u16string error;
  if (!RingToneImport::ReadFile(QFile::encodeName(path).toStdString(), text, error)) {
    dialogs_.MessageBox(this, QString::fromStdU16String(error), NotaraStrings::Text(IDS_APP_TITLE),
                        MB_OK | MB_ICONERROR);
    return false;
  }
  edit_->setPlainText(QString::fromStdString(text));
  return true;
}

void CRingToneDialog::Update() {
  const std::string text = Text();
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
    summary_->setText(QStringLiteral("Вставьте или введите текст мелодии, например: Звонок:d=8,o=5,b=120:c,e,g,2c6"));
    ok_->setEnabled(false);
    return;
  }
  const RingToneImport::Prepared prepared = RingToneImport::Prepare(text, Semitones(), Fit());
  summary_->setText(QString::fromStdU16String(RingToneImport::Summary(prepared)));
  ok_->setEnabled(prepared.ok);
}
