#include "CAboutDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutDialog"));
  setWindowTitle(QStringLiteral("О программе"));

  auto* icon = new QLabel(this);
  icon->setPixmap(QIcon(QStringLiteral(":/notara/icons/notara.svg")).pixmap(48, 48));
  icon->setAlignment(Qt::AlignTop);
  auto* title = new QLabel(QString::fromUtf8(kTitleLine), this);
  title->setObjectName(QStringLiteral("title"));
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  auto* support = new QLabel(QStringLiteral("Редактор мелодий для музыкального звонка.\n"
                                            "Сочинение мелодий нотами, загрузка мелодий из MIDI файлов\n"
                                            "и запись мелодий в MIDI файлы.\n\n"
                                            "Поддержка: описание работы с программой открывается\n"
                                            "командой «Справка» (F1). С вопросами и пожеланиями\n"
                                            "обращайтесь к поставщику звонка."),
                             this);
  support->setObjectName(QStringLiteral("support"));

  auto* text = new QVBoxLayout;
  text->addWidget(title);
  text->addSpacing(8);
  text->addWidget(support);
  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addSpacing(12);
  row->addLayout(text, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}
