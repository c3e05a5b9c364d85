// The main view of a program: a bordered child window with both scroll
// bars that fills the main window between its tool bar and status bar.
// Derived views paint the viewport and follow the scroll bars.
#pragma once

#include <QAbstractScrollArea>

class CViewU : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit CViewU(QWidget* parent = nullptr);
  ~CViewU() override = default;
};
