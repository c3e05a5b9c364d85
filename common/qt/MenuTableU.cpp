#include "MenuTableU.h"

#include <QAction>
#include <QMenuBar>
#include <QWidget>

std::map<int, QAction*> BuildMenuBarU(QMenuBar* bar, QWidget* window, const std::vector<MenuPopupU>& popups,
                                      const std::function<void(int)>& run) {
  std::map<int, QAction*> actions;
  for (const MenuPopupU& popup : popups) {
    QMenu* menu = bar->addMenu(QString::fromUtf8(popup.title));
    for (const MenuItemU& item : popup.items) {
      if (item.id == 0) {
        menu->addSeparator();
        continue;
      }
      auto* action = new QAction(QString::fromUtf8(item.text), window);
      action->setObjectName(QStringLiteral("cmd%1").arg(item.id));
      action->setData(item.id);
      if (!item.key.isEmpty()) {
        action->setShortcut(item.key);
        action->setShortcutContext(Qt::WindowShortcut);
      }
      menu->addAction(action);
      window->addAction(action);
      actions[item.id] = action;
      QObject::connect(action, &QAction::triggered, window, [run, id = item.id] { run(id); });
    }
  }
  return actions;
}
