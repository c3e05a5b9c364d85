#include "CAboutDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "CCommandStatesU.h"
#include "DinovaIcons.h"
#include "DinovaIds.h"

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("aboutDialog"));
  CCommandStatesU::SetControlId(this, IDD_ABOUT);
  setWindowTitle(QStringLiteral("О программе"));

  auto* icon = new QLabel(this);
  icon->setPixmap(DinovaIcons::Icon(IDI_BELL).pixmap(48, 48));
  icon->setAlignment(Qt::AlignTop);
  auto* text = new QLabel(QStringLiteral("<b>Программа звонок</b><br>Версия 2.1<br><br>"
                                         "Запись мелодий в музыкальный звонок,<br>"
                                         "чтение их обратно и настройка звонка."),
                          this);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addSpacing(12);
  row->addWidget(text, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}
