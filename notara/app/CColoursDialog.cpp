#include "CColoursDialog.h"

#include <QColor>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QVBoxLayout>

#include "UserDialogs.h"

namespace {

QColor ToQColor(COLORREF c) {
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

COLORREF FromQColor(const QColor& c) {
  return RGB(static_cast<BYTE>(c.red()), static_cast<BYTE>(c.green()), static_cast<BYTE>(c.blue()));
}

// The chooser's custom colours, kept for the whole run of the program.
QColor (&CustomColours())[16] {
  static QColor custom[16] = {Qt::white, Qt::white, Qt::white, Qt::white, Qt::white, Qt::white, Qt::white, Qt::white,
                              Qt::white, Qt::white, Qt::white, Qt::white, Qt::white, Qt::white, Qt::white, Qt::white};
  return custom;
}

// A push button that shows a colour: the filled swatch inside a dotted
// frame, black while the button has the focus.
class SwatchButton : public QPushButton {
 public:
  SwatchButton(const COLORREF* colour, QWidget* parent) : QPushButton(parent), colour_(colour) {
    setMinimumSize(96, 26);
    setAutoDefault(true);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.state &= ~QStyle::State_HasFocus;  // the dotted frame below shows the focus
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);

    const QRect frame = rect().adjusted(4, 4, -5, -5);
    QPen pen(hasFocus() ? QColor(Qt::black) : palette().color(QPalette::Button));
    pen.setStyle(Qt::DotLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
    const QRect swatch = frame.adjusted(3, 3, -2, -2);
    painter.fillRect(swatch, isEnabled() ? ToQColor(*colour_) : palette().color(QPalette::Button));
    painter.setPen(QColor(0, 0, 0, 90));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
  }

 private:
  const COLORREF* colour_;
};

}  // namespace

CColoursDialog::CColoursDialog(const Colours& colours, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), colours_(colours) {
  setObjectName(QStringLiteral("dialog1500"));
  setWindowTitle(QStringLiteral("Настройка цветов программы"));

  static const char* const kRoles[kColourCount] = {"Название мелодии", "Нотный стан", "Ноты", "Выделенная нота", "Фон"};
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(12);
  for (int i = 0; i < kColourCount; ++i) {
    auto* button = new SwatchButton(&colours_[static_cast<size_t>(i)], this);
    button->setObjectName(QStringLiteral("button%1").arg(kFirstButtonId + i));
    buttons_[static_cast<size_t>(i)] = button;
    auto* label = new QLabel(QString::fromUtf8(kRoles[i]), this);
    label->setBuddy(button);
    grid->addWidget(label, i, 0);
    grid->addWidget(button, i, 1);
    connect(button, &QPushButton::clicked, this, [this, i] { ChooseColour(i); });
  }

  auto* box = new QDialogButtonBox(this);
  okButton_ = box->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  box->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
  applyButton_ = box->addButton(QStringLiteral("Применить"), QDialogButtonBox::ApplyRole);
  applyButton_->setObjectName(QStringLiteral("button%1").arg(kApplyId));
  applyButton_->setEnabled(false);
  okButton_->setDefault(true);
  connect(okButton_, &QPushButton::clicked, this, &CColoursDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(applyButton_, &QPushButton::clicked, this, &CColoursDialog::Apply);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addSpacing(8);
  layout->addWidget(box);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  buttons_[0]->setFocus();
}

void CColoursDialog::ChooseColour(int index) {
  if (index < 0 || index >= kColourCount) return;
  QColor colour = ToQColor(colours_[static_cast<size_t>(index)]);
  if (!dialogs_.ChooseColor(this, colour, CustomColours())) return;
  colours_[static_cast<size_t>(index)] = FromQColor(colour);
  update();
  for (QPushButton* button : buttons_) button->update();
  applyButton_->setEnabled(true);
}

void CColoursDialog::Apply() {
  if (apply_) apply_(colours_);
  buttons_[0]->setFocus(Qt::OtherFocusReason);
  applyButton_->setEnabled(false);
  okButton_->setDefault(true);
}

void CColoursDialog::accept() {
  // Enter on a swatch opens its chooser rather than closing the dialog.
  for (int i = 0; i < kColourCount; ++i) {
    if (buttons_[static_cast<size_t>(i)]->hasFocus()) {
      ChooseColour(i);
      return;
    }
  }
  QDialog::accept();
}
