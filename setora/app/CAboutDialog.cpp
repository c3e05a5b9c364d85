#include "CAboutDialog.h"

CAboutDialog::CAboutDialog(QWidget* parent)
    : CAboutDialogU({QStringLiteral("aboutDialog"),
                     QIcon(QStringLiteral(":/setora/icons/setora.svg")),
                     {{QStringLiteral("aboutText"), QStringLiteral("Редактор набора мелодий\nВерсия 1.1")}},
                     QStringLiteral("OK")},
                    parent) {}
