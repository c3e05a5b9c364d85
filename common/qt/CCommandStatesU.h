// The command-state table: one row per command that keeps its menu item, its
// tool-bar button and its dialog buttons enabled or disabled together.
//
// A program's table is a static array of rows ended by a row whose command
// is 0. Setting a state only marks the row; the apply calls carry the marked
// states to the menu, the tool bar or a dialog. A menu item and a tool-bar
// button of one command share one QAction, so applying to either updates
// both.
#pragma once

#include <QIcon>
#include <map>
#include <vector>

#include "platform/Types.h"

class QAction;
class QToolBar;
class QWidget;

// Field order and widths as the programs' tables give them.
struct CommandState {
  LONG command;
  LONG enabled;         // 0 or 1
  LONG menu;            // menu resource the item belongs to (3000)
  LONG menuDirty;       // state not yet applied to the menu
  LONG toolBar;         // CCommandStatesU::kToolBarId when the command has a button, else 0
  LONG toolBarDirty;    // state not yet applied to the tool bar
  LONG separatorAfter;  // a tool-bar separator follows the button
};

class CCommandStatesU {
 public:
  static constexpr LONG kMenuId = 3000;
  static constexpr LONG kToolBarId = 100;

  // rows: the program's table, ended by a row with command 0; it must
  // outlive this object.
  explicit CCommandStatesU(CommandState* rows);
  virtual ~CCommandStatesU() = default;
  CCommandStatesU(const CCommandStatesU&) = delete;
  CCommandStatesU& operator=(const CCommandStatesU&) = delete;

  // The action that stands for the command in menus and tool bars; null
  // detaches it. Commands outside the table may be bound too (they are never
  // disabled by the table).
  void BindAction(LONG command, QAction* action);
  // Null when no action is bound.
  QAction* Action(LONG command) const;

  // Stores the state and marks the row for the menu and the tool bar; a
  // command that is not in the table is ignored.
  void SetState(LONG command, bool enabled);
  // The stored state; true for a command outside the table.
  bool IsEnabled(LONG command) const;

  // Carries the marked rows of menu (or of the tool bar) to their actions and
  // clears the marks.
  void ApplyToMenu(LONG menu = kMenuId);
  void ApplyToToolBar(LONG toolBar = kToolBarId);

  // Enables or disables every control of dialog whose command identifier
  // (SetControlId) is a command of the table. With a focus control, default
  // push buttons lose that role meanwhile, and the focus control, when it is
  // enabled, takes the focus and, being a plain push button, becomes the
  // default button. A disabled focus control leaves the focus where it was.
  void ApplyToDialog(QWidget* focus, QWidget* dialog) const;

  // Fills bar with one button per tool-bar row, in table order: icons[i] for
  // the i-th button, the row's action (created with no text when none is
  // bound) and its state, and a separator after each row flagged so. Returns
  // the number of buttons; 0 when there are fewer icons than buttons.
  int FillToolBar(QToolBar* bar, const std::vector<QIcon>& icons);

  // The command identifier of a dialog control (0 when it has none).
  static void SetControlId(QWidget* control, LONG id);
  static LONG ControlId(const QWidget* control);

 private:
  CommandState* Find(LONG command) const;

  CommandState* rows_;
  std::map<LONG, QAction*> actions_;
};
