#include "CCommandStatesU.h"

#include <QAction>
#include <QPushButton>
#include <QToolBar>
#include <QVariant>
#include <QWidget>

namespace {

constexpr const char* kControlIdProperty = "nvControlId";

}  // namespace

CCommandStatesU::CCommandStatesU(CommandState* rows) : rows_(rows) {}

CommandState* CCommandStatesU::Find(LONG command) const {
  if (rows_ == nullptr || command == 0) return nullptr;
  for (CommandState* row = rows_; row->command != 0; ++row) {
    if (row->command == command) return row;
  }
  return nullptr;
}

void CCommandStatesU::BindAction(LONG command, QAction* action) {
  if (action == nullptr) {
    actions_.erase(command);
    return;
  }
  actions_[command] = action;
  if (const CommandState* row = Find(command)) action->setEnabled(row->enabled != 0);
}

QAction* CCommandStatesU::Action(LONG command) const {
  const auto it = actions_.find(command);
  return it == actions_.end() ? nullptr : it->second;
}

void CCommandStatesU::SetState(LONG command, bool enabled) {
  CommandState* row = Find(command);
  if (row == nullptr) return;
  row->enabled = enabled ? 1 : 0;
  row->menuDirty = 1;
  row->toolBarDirty = 1;
}

bool CCommandStatesU::IsEnabled(LONG command) const {
  const CommandState* row = Find(command);
  return row == nullptr || row->enabled != 0;
}

void CCommandStatesU::ApplyToMenu(LONG menu) {
  if (rows_ == nullptr) return;
  for (CommandState* row = rows_; row->command != 0; ++row) {
    if (row->menu != menu || row->menuDirty == 0) continue;
    if (QAction* action = Action(row->command)) action->setEnabled(row->enabled != 0);
    row->menuDirty = 0;
  }
}

void CCommandStatesU::ApplyToToolBar(LONG toolBar) {
  if (rows_ == nullptr) return;
  for (CommandState* row = rows_; row->command != 0; ++row) {
    if (row->toolBar != toolBar || row->toolBarDirty == 0) continue;
    if (QAction* action = Action(row->command)) action->setEnabled(row->enabled != 0);
    row->toolBarDirty = 0;
  }
}

void CCommandStatesU::ApplyToDialog(QWidget* focus, QWidget* dialog) const {
  if (dialog == nullptr) return;
  const auto controls = dialog->findChildren<QWidget*>();
  for (QWidget* control : controls) {
    const CommandState* row = Find(ControlId(control));
    if (row != nullptr) control->setEnabled(row->enabled != 0);
    if (focus != nullptr) {
      if (auto* button = qobject_cast<QPushButton*>(control); button != nullptr && button->isDefault()) {
        button->setDefault(false);
      }
    }
  }
  if (focus == nullptr || !focus->isEnabled()) return;
  focus->setFocus(Qt::OtherFocusReason);
  if (auto* button = qobject_cast<QPushButton*>(focus);
      button != nullptr && !button->isCheckable() && button->menu() == nullptr) {
    button->setDefault(true);
  }
}

int CCommandStatesU::FillToolBar(QToolBar* bar, const std::vector<QIcon>& icons) {
  if (bar == nullptr || rows_ == nullptr) return 0;
  std::size_t buttons = 0;
  for (const CommandState* row = rows_; row->command != 0; ++row) {
    if (row->toolBar == kToolBarId) ++buttons;
  }
  if (icons.size() < buttons) return 0;

  std::size_t image = 0;
  for (CommandState* row = rows_; row->command != 0; ++row) {
    if (row->toolBar != kToolBarId) continue;
    QAction* action = Action(row->command);
    if (action == nullptr) {
      action = new QAction(bar);
      BindAction(row->command, action);
    }
    action->setIcon(icons[image++]);
    action->setEnabled(row->enabled != 0);
    bar->addAction(action);
    row->toolBarDirty = 0;
    if (row->separatorAfter != 0) bar->addSeparator();
  }
  return static_cast<int>(buttons);
}

void CCommandStatesU::SetControlId(QWidget* control, LONG id) {
  if (control != nullptr) control->setProperty(kControlIdProperty, QVariant(static_cast<int>(id)));
}

LONG CCommandStatesU::ControlId(const QWidget* control) {
  if (control == nullptr) return 0;
  const QVariant id = control->property(kControlIdProperty);
  return id.isValid() ? static_cast<LONG>(id.toInt()) : 0;
}
