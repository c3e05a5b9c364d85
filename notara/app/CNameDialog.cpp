#include "CNameDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CNameDialog::CNameDialog(const QString& name, QWidget* parent) : QDialog(parent), edit_(new QLineEdit(this)) {
  setObjectName(QStringLiteral("dialog1100"));
  setWindowTitle(QStringLiteral("Ввод названия мелодии"));
  edit_->setObjectName(QStringLiteral("edit%1").arg(kEditId));
  edit_->setMaxLength(kMaxLength);
  edit_->setText(name.left(kMaxLength));
  edit_->selectAll();
  edit_->setMinimumWidth(320);

  auto* label = new QLabel(QStringLiteral("&Название мелодии:"), this);
  label->setBuddy(edit_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(edit_);
  layout->addSpacing(6);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString CNameDialog::Name() const {
  return edit_->text().left(kMaxLength);
}
