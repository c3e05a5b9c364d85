#include "CModeDialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "CCommandStatesU.h"
#include "DinovaIds.h"
#include "chimox/Chimox.h"

CModeDialog::CModeDialog(BYTE mode, bool randomAllowed, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("modeDialog"));
  CCommandStatesU::SetControlId(this, IDD_MODE);
  setWindowTitle(QStringLiteral("Установка режима выбора мелодии"));

  auto* group = new QGroupBox(QStringLiteral("Мелодия для следующего звонка выбирается"), this);
  auto* column = new QVBoxLayout(group);
  struct Choice {
    int id;
    const char* text;
    const char* name;
  };
  constexpr Choice kChoices[] = {{IDC_MODE_SEQUENTIAL, "Последовательный", "sequential"},
                                 {IDC_MODE_MANUAL, "Ручной", "manual"},
                                 {IDC_MODE_RANDOM, "Случайный", "random"}};
  for (const Choice& choice : kChoices) {
    auto* button = new QRadioButton(QString::fromUtf8(choice.text), group);
    button->setObjectName(QLatin1String(choice.name));
    CCommandStatesU::SetControlId(button, choice.id);
    column->addWidget(button);
  }
  Button(BELL_MODE_RANDOM)->setEnabled(randomAllowed);
  const BYTE checked =
      mode == BELL_MODE_MANUAL || (mode == BELL_MODE_RANDOM && randomAllowed) ? mode : BELL_MODE_SEQUENTIAL;
  Button(checked)->setChecked(true);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(buttons);
  // Wide enough for the whole title in the window's frame.
  group->setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) * 3 / 2 + 40);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

QRadioButton* CModeDialog::Button(BYTE mode) const {
  const char* name = mode == BELL_MODE_MANUAL ? "manual" : mode == BELL_MODE_RANDOM ? "random" : "sequential";
  return findChild<QRadioButton*>(QLatin1String(name));
}

BYTE CModeDialog::Mode() const {
  if (Button(BELL_MODE_MANUAL)->isChecked()) return BELL_MODE_MANUAL;
  if (Button(BELL_MODE_RANDOM)->isChecked()) return BELL_MODE_RANDOM;
  return BELL_MODE_SEQUENTIAL;
}
