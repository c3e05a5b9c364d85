#include "CAboutDialog.h"

#include "CCommandStatesU.h"
#include "DinovaIcons.h"
#include "DinovaIds.h"

CAboutDialog::CAboutDialog(QWidget* parent)
    : CAboutDialogU({QStringLiteral("aboutDialog"),
                     DinovaIcons::Icon(IDI_BELL),
                     {{QString(),
                       QStringLiteral("<b>Программа звонок</b><br>Версия 2.1<br><br>"
                                      "Запись мелодий в музыкальный звонок,<br>"
                                      "чтение их обратно и настройка звонка.")}},
                     QStringLiteral("OK")},
                    parent) {
  CCommandStatesU::SetControlId(this, IDD_ABOUT);
}
