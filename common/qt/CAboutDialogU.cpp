#include "CAboutDialogU.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDialogU::CAboutDialogU(const AboutBoxU& box, QWidget* parent) : QDialog(parent) {
  setObjectName(box.objectName);
  setWindowTitle(QStringLiteral("О программе"));

  auto* icon = new QLabel(this);
  icon->setPixmap(box.icon.pixmap(48, 48));
  icon->setAlignment(Qt::AlignTop);
  auto* text = new QVBoxLayout;
  for (const AboutLineU& line : box.lines) {
    auto* label = new QLabel(line.text, this);
    if (!line.objectName.isEmpty()) label->setObjectName(line.objectName);
    if (line.bold) {
      QFont bold = label->font();
      bold.setBold(true);
      label->setFont(bold);
    }
    if (line.spaceBefore > 0) text->addSpacing(line.spaceBefore);
    text->addWidget(label);
  }
  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addSpacing(12);
  row->addLayout(text, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  if (!box.okText.isEmpty()) buttons->button(QDialogButtonBox::Ok)->setText(box.okText);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}
