// The tool bar of a main window: one button per command of the
// command-state table that has one, in table order, with separators where
// the table says. Buttons share their actions with the menu, so the table
// enables both at once.
#pragma once

#include <QIcon>
#include <vector>

class CCommandStatesU;
class QMainWindow;
class QToolBar;

class CToolBarU {
 public:
  static constexpr int kControlId = 100;
  static constexpr int kHeight = 25;

  // Creates the bar at the top of owner; images[i] is the picture of the
  // i-th button. IsValid() is false when there were too few images.
  CToolBarU(QMainWindow* owner, CCommandStatesU& states, const std::vector<QIcon>& images);
  virtual ~CToolBarU() = default;
  CToolBarU(const CToolBarU&) = delete;
  CToolBarU& operator=(const CToolBarU&) = delete;

  bool IsValid() const { return buttons_ > 0; }
  int ButtonCount() const { return buttons_; }
  QToolBar* Bar() const { return bar_; }

 private:
  QToolBar* bar_;
  int buttons_ = 0;
};
