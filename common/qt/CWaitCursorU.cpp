#include "CWaitCursorU.h"

#include <QApplication>
#include <QCursor>

CWaitCursorU::CWaitCursorU() {
  QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

CWaitCursorU::~CWaitCursorU() {
  QApplication::restoreOverrideCursor();
}
