#include "CViewU.h"

CViewU::CViewU(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName(QStringLiteral("MAIN_VIEW_UFC"));
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}
