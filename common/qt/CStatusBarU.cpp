#include "CStatusBarU.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QStatusBar>

namespace {

// The free space a field keeps on either side of its template text.
constexpr int kPartSpacing = 6;

}  // namespace

CStatusBarU::CStatusBarU(QMainWindow* owner, const std::vector<Field>& fields)
    : bar_(new QStatusBar(owner)), help_(new QLabel(bar_)) {
  bar_->setObjectName(QStringLiteral("msctls_statusbar32"));
  bar_->setSizeGripEnabled(true);
  help_->setObjectName(QStringLiteral("helpPart"));
  help_->setIndent(3);
  bar_->addWidget(help_, 1);
  for (const Field& field : fields) {
    auto* label = new QLabel(bar_);
    label->setObjectName(QStringLiteral("part%1").arg(field.id));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar_->addPermanentWidget(label);
    fields_[field.id] = Part{label, field.templateText, QString()};
  }
  if (owner != nullptr) owner->setStatusBar(bar_);
  Relayout();
}

void CStatusBarU::SetHelpText(const QString& text) {
  help_->setText(text);
}

QString CStatusBarU::HelpText() const {
  return help_->text();
}

void CStatusBarU::SetText(int id, const QString& text) {
  const auto it = fields_.find(id);
  if (it == fields_.end()) return;
  Part& part = it->second;
  part.text = text;
  qsizetype tabs = 0;
  while (tabs < text.size() && tabs < 2 && text[tabs] == '\t') ++tabs;
  const Qt::Alignment horizontal = tabs == 0 ? Qt::AlignLeft : tabs == 1 ? Qt::AlignHCenter : Qt::AlignRight;
  part.label->setAlignment(horizontal | Qt::AlignVCenter);
  part.label->setText(text.mid(tabs));
}

QString CStatusBarU::Text(int id) const {
  const auto it = fields_.find(id);
  return it == fields_.end() ? QString() : it->second.text;
}

void CStatusBarU::Relayout() {
  const QFontMetrics metrics(bar_->font());
  for (auto& [id, part] : fields_) {
    const int width = metrics.horizontalAdvance(part.templateText) + 2 * kPartSpacing + 2 * part.label->frameWidth();
    part.label->setFixedWidth(width);
  }
}

int CStatusBarU::Height() const {
  return bar_->isVisible() ? bar_->height() : bar_->sizeHint().height();
}
