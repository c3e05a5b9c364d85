#include "CAboutDialog.h"

namespace {

AboutBoxU NotaraAbout() {
  return {QStringLiteral("AboutDialog"),
          QIcon(QStringLiteral(":/notara/icons/notara.svg")),
          {{QStringLiteral("title"), QString::fromUtf8(CAboutDialog::kTitleLine), true, 0},
           {QStringLiteral("support"),
            QStringLiteral("Редактор мелодий для музыкального звонка.\n"
                           "Сочинение мелодий нотами, загрузка мелодий из MIDI файлов\n"
                           "и запись мелодий в MIDI файлы.\n\n"
                           "Поддержка: описание работы с программой открывается\n"
                           "командой «Справка» (F1). С вопросами и пожеланиями\n"
                           "обращайтесь к поставщику звонка."),
            false, 8}},
          {}};
}

}  // namespace

CAboutDialog::CAboutDialog(QWidget* parent) : CAboutDialogU(NotaraAbout(), parent) {}
