#include "CZoomDialog.h"

#include <QAbstractSpinBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>
#include <cmath>

#include "NotaraStrings.h"
#include "UserDialogs.h"

namespace {

// An edit with up and down arrows. The arrows move a position from 0 to 10
// and write position / 10 + 1 into the edit; typing is free, OK checks it.
class FactorSpin : public QAbstractSpinBox {
 public:
  static constexpr int kMax = 10;

  FactorSpin(double factor, QWidget* parent) : QAbstractSpinBox(parent) {
    position_ = std::clamp(static_cast<int>(std::ceil((factor - 1.0) * 10.0 - 0.5)), 0, kMax);
    lineEdit()->setMaxLength(64);
    lineEdit()->setText(QString::asprintf("%.2f", factor));
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
  }

  int Position() const { return position_; }
  void SetText(const QString& text) { lineEdit()->setText(text); }

  void stepBy(int steps) override {
    position_ = std::clamp(position_ + steps, 0, kMax);
    lineEdit()->setText(QString::asprintf("%.2f", position_ / 10.0 + 1.0));
  }

 protected:
  StepEnabled stepEnabled() const override {
    StepEnabled enabled = StepNone;
    if (position_ < kMax) enabled |= StepUpEnabled;
    if (position_ > 0) enabled |= StepDownEnabled;
    return enabled;
  }
  QValidator::State validate(QString&, int&) const override { return QValidator::Acceptable; }
  void fixup(QString&) const override {}

 private:
  int position_ = 0;
};

}  // namespace

CZoomDialog::CZoomDialog(double factor, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), spin_(new FactorSpin(factor, this)), factor_(factor) {
  setObjectName(QStringLiteral("dialog1400"));
  setWindowTitle(QStringLiteral("Установка масштабного коэффициента"));
  spin_->setObjectName(QStringLiteral("edit%1").arg(kEditId));
  spin_->setMinimumWidth(90);

  auto* label = new QLabel(QStringLiteral("&Коэффициент (от 1 до 2):"), this);
  label->setBuddy(spin_);
  auto* row = new QHBoxLayout;
  row->addWidget(label);
  row->addWidget(spin_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
  connect(buttons, &QDialogButtonBox::accepted, this, &CZoomDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addSpacing(6);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString CZoomDialog::Text() const {
  return spin_->text();
}

void CZoomDialog::SetText(const QString& text) {
  static_cast<FactorSpin*>(spin_)->SetText(text);
}

int CZoomDialog::Position() const {
  return static_cast<FactorSpin*>(spin_)->Position();
}

void CZoomDialog::Step(int steps) {
  spin_->stepBy(steps);
}

double CZoomDialog::ParseFactor(const QString& text) {
  std::string input = text.left(kMaxInput).trimmed().toStdString();
  for (char& c : input) {
    if (c == ',') c = '.';
  }
  if (!input.empty() && input.front() == '+') input.erase(0, 1);
  // from_chars reads '.' whatever the user's locale, and stops at the first
  // character that does not belong to the number.
  double value = 0.0;
  const auto [end, error] = std::from_chars(input.data(), input.data() + input.size(), value);
  return error == std::errc() ? value : 0.0;
}

void CZoomDialog::accept() {
  const double value = ParseFactor(Text());
  if (!(value >= 1.0 && value <= 2.0)) {
    dialogs_.MessageBox(this, QStringLiteral("Неправильный ввод.\nЧисло должно быть в диапазоне от 1 до 2"),
                        NotaraStrings::Text(IDS_APP_TITLE), MB_OK | MB_ICONWARNING);
    return;
  }
  factor_ = value;
  QDialog::accept();
}
