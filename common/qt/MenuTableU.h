// A program's menu bar as a table: pop-ups of items with command ids, texts
// (a tab before the shortcut's text) and shortcuts. BuildMenuBarU turns the
// table into actions the way every program's window wants them.
#pragma once

#include <QKeySequence>
#include <functional>
#include <map>
#include <vector>

class QAction;
class QMenuBar;
class QWidget;

struct MenuItemU {
  int id;  // 0: a separator
  const char* text;
  QKeySequence key;
};

struct MenuPopupU {
  const char* title;
  std::vector<MenuItemU> items;
};

// Adds the pop-ups to bar. Each item becomes a QAction owned by window,
// named "cmd<id>" with the id as its data, its shortcut working in the whole
// window (the action is added to window too, so shortcuts work while the
// menus are closed), and run(id) called when it is triggered. Returns the
// actions by command id.
std::map<int, QAction*> BuildMenuBarU(QMenuBar* bar, QWidget* window, const std::vector<MenuPopupU>& popups,
                                      const std::function<void(int)>& run);
