#include "CToolBarU.h"

#include <QMainWindow>
#include <QToolBar>

#include "CCommandStatesU.h"

CToolBarU::CToolBarU(QMainWindow* owner, CCommandStatesU& states, const std::vector<QIcon>& images)
    : bar_(new QToolBar(owner)) {
  bar_->setObjectName(QStringLiteral("ToolbarWindow32"));
  bar_->setMovable(false);
  bar_->setFloatable(false);
  bar_->setIconSize(QSize(16, 16));
  bar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  bar_->setFixedHeight(kHeight);
  bar_->toggleViewAction()->setVisible(false);
  buttons_ = states.FillToolBar(bar_, images);
  if (owner != nullptr) owner->addToolBar(Qt::TopToolBarArea, bar_);
}
