#include "CTransposeDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "RingToneImport.h"

CTransposeDialog::CTransposeDialog(QWidget* parent)
    : QDialog(parent),
      semitones_(new QSpinBox(this)),
      fit_(new QCheckBox(QStringLiteral("&Уложить в диапазон звонка (Соль#3 - Ре#6)"), this)) {
  setObjectName(QStringLiteral("dialog1700"));
  setWindowTitle(QStringLiteral("Транспонирование мелодии"));
  semitones_->setObjectName(QStringLiteral("edit1701"));
  semitones_->setRange(-RingToneImport::kMaxSemitones, RingToneImport::kMaxSemitones);
  semitones_->setSuffix(QStringLiteral(" полут."));
  fit_->setObjectName(QStringLiteral("check1702"));

  auto* label = new QLabel(QStringLiteral("&Сдвиг (полутонов, 12 - октава):"), this);
  label->setBuddy(semitones_);
  auto* note = new QLabel(QStringLiteral("Ноты, оказавшиеся вне диапазона, переносятся на октаву."), this);
  note->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* form = new QFormLayout;
  form->addRow(label, semitones_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(fit_);
  layout->addWidget(note);
  layout->addSpacing(6);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  semitones_->setFocus(Qt::OtherFocusReason);
  semitones_->selectAll();
}

int CTransposeDialog::Semitones() const {
  return semitones_->value();
}

void CTransposeDialog::SetSemitones(int semitones) {
  semitones_->setValue(semitones);
}

bool CTransposeDialog::Fit() const {
  return fit_->isChecked();
}

void CTransposeDialog::SetFit(bool fit) {
  fit_->setChecked(fit);
}
