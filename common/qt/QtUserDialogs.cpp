#include "QtUserDialogs.h"

#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

QStringList NameFilters(const FileDialogRequest& request) {
  QStringList filters;
  for (const auto& [description, patterns] : request.filters) {
    filters << QtUserDialogs::NameFilter(description, patterns);
  }
  return filters;
}

void Prepare(QFileDialog& dialog, const FileDialogRequest& request) {
  const QStringList filters = NameFilters(request);
  dialog.setNameFilters(filters);
  if (request.filterIndex >= 0 && request.filterIndex < filters.size()) {
    dialog.selectNameFilter(filters[request.filterIndex]);
  }
  if (!request.initialDir.isEmpty()) dialog.setDirectory(request.initialDir);
}

QString Chosen(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}

}  // namespace

QString QtUserDialogs::NameFilter(const QString& description, const QString& patterns) {
  QString shown = description.contains('(') ? description : QStringLiteral("%1 (%2)").arg(description, patterns);
  // The programs list patterns as "*.mid;*.kar"; Qt separates them with spaces
  // and would otherwise match no file at all.
  const qsizetype open = shown.lastIndexOf('(');
  if (open < 0) return shown;
  QStringList list = shown.mid(open + 1).chopped(shown.endsWith(')') ? 1 : 0).split(';', Qt::SkipEmptyParts);
  // "*.*" means every file, as on the system the programs were made for;
  // here it would hide the many files without an extension.
  for (QString& pattern : list) {
    pattern = pattern.trimmed();
    if (pattern == QStringLiteral("*.*")) pattern = QStringLiteral("*");
  }
  return shown.left(open) + '(' + list.join(' ') + ')';
}

int QtUserDialogs::MessageBox(QWidget* owner, const QString& text, const QString& caption, UINT type) {
  QMessageBox box(owner);
  box.setWindowTitle(caption);
  box.setText(text);
  switch (type & 0xF0) {
    case MB_ICONERROR:
      box.setIcon(QMessageBox::Critical);
      break;
    case MB_ICONQUESTION:
      box.setIcon(QMessageBox::Question);
      break;
    case MB_ICONWARNING:
      box.setIcon(QMessageBox::Warning);
      break;
    case MB_ICONINFORMATION:
      box.setIcon(QMessageBox::Information);
      break;
    default:
      break;
  }

  // Russian captions on the buttons, whatever the system's translation.
  struct Button {
    QMessageBox::StandardButton standard;
    const char* text;
    int answer;
  };
  std::vector<Button> buttons;
  switch (type & 0x0F) {
    case MB_OKCANCEL:
      buttons = {{QMessageBox::Ok, "OK", IDOK}, {QMessageBox::Cancel, "Отмена", IDCANCEL}};
      break;
    case MB_YESNOCANCEL:
      buttons = {
          {QMessageBox::Yes, "Да", IDYES}, {QMessageBox::No, "Нет", IDNO}, {QMessageBox::Cancel, "Отмена", IDCANCEL}};
      break;
    case MB_YESNO:
      buttons = {{QMessageBox::Yes, "Да", IDYES}, {QMessageBox::No, "Нет", IDNO}};
      break;
    default:
      buttons = {{QMessageBox::Ok, "OK", IDOK}};
      break;
  }
  QMessageBox::StandardButtons standard;
  for (const Button& b : buttons) standard |= b.standard;
  box.setStandardButtons(standard);
  for (const Button& b : buttons) box.button(b.standard)->setText(QString::fromUtf8(b.text));
  const bool second = (type & 0xF00) == MB_DEFBUTTON2 && buttons.size() > 1;
  box.setDefaultButton(buttons[second ? 1 : 0].standard);
  box.setEscapeButton(buttons.size() == 1 ? buttons.front().standard : buttons.back().standard);

  const auto result = static_cast<QMessageBox::StandardButton>(box.exec());
  for (const Button& b : buttons) {
    if (b.standard == result) return b.answer;
  }
  return buttons.size() == 1 ? IDOK : IDCANCEL;
}

QString QtUserDialogs::OpenFileName(QWidget* owner, const FileDialogRequest& request) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  Prepare(dialog, request);
  return Chosen(dialog);
}

QStringList QtUserDialogs::OpenFileNames(QWidget* owner, const FileDialogRequest& request) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  Prepare(dialog, request);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

QString QtUserDialogs::SaveFileName(QWidget* owner, const FileDialogRequest& request) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  Prepare(dialog, request);
  if (!request.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.defaultSuffix);
  if (!request.initialName.isEmpty()) dialog.selectFile(request.initialName);
  return Chosen(dialog);
}

bool QtUserDialogs::ChooseColor(QWidget* owner, QColor& colour, QColor (&custom)[16]) {
  const int count = std::min(QColorDialog::customCount(), 16);
  for (int i = 0; i < count; ++i) QColorDialog::setCustomColor(i, custom[i]);
  QColorDialog dialog(colour, owner);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  for (int i = 0; i < count; ++i) custom[i] = QColorDialog::customColor(i);
  if (accepted) colour = dialog.selectedColor();
  return accepted;
}

bool QtUserDialogs::ChooseFont(QWidget* owner, QFont& font) {
  bool accepted = false;
  const QFont chosen = QFontDialog::getFont(&accepted, font, owner);
  if (accepted) font = chosen;
  return accepted;
}

int QtUserDialogs::Exec(QDialog& dialog) {
  return dialog.exec();
}
