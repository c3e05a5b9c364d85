#include "CBellWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "CAboutDialog.h"
#include "CCheckedFileDialog.h"
#include "CModeDialog.h"
#include "CPortDialog.h"
#include "CPortSetting.h"
#include "DeviceClient.h"
#include "DinovaIcons.h"
#include "DinovaIds.h"
#include "DinovaStrings.h"
#include "HtmlHelpU.h"
#include "QtMessageTarget.h"
#include "UserDialogs.h"
#include "common/CAppPathU.h"
#include "platform/CodePage.h"

namespace {

constexpr const char* kHelpTopic = "bell_about.html";

// The device buttons: everything a known status is needed for.
constexpr int kDeviceButtons[] = {IDC_WRITE_SET, IDC_ADD_MELODY, IDC_READ_SET, IDC_CLEAR, IDC_SELECTION_MODE};

struct IconButton {
  int control;
  int icon;
  const char* name;
};
constexpr IconButton kIconButtons[] = {
    {IDC_WRITE_SET, IDI_WRITE_SET, "writeSet"},       {IDC_ADD_MELODY, IDI_ADD_MELODY, "addMelody"},
    {IDC_READ_SET, IDI_READ_SET, "readSet"},          {IDC_CLEAR, IDI_CLEAR, "clear"},
    {IDC_SELECTION_MODE, IDI_SELECTION_MODE, "mode"}, {IDC_EXIT, IDI_EXIT, "exit"},
};

// The rows of the command-state table: the bell type list, the five device
// buttons, "Выход" and "Обновить"; at start only the list, "Выход" and
// "Обновить" are enabled.
constexpr std::array<CommandState, CBellWindow::kCommandRows> kCommandStates = {{
    {IDC_BELL_TYPE, 1, 0, 0, 0, 0, 0},
    {IDC_WRITE_SET, 0, 0, 0, 0, 0, 0},
    {IDC_ADD_MELODY, 0, 0, 0, 0, 0, 0},
    {IDC_READ_SET, 0, 0, 0, 0, 0, 0},
    {IDC_CLEAR, 0, 0, 0, 0, 0, 0},
    {IDC_SELECTION_MODE, 0, 0, 0, 0, 0, 0},
    {IDC_EXIT, 1, 0, 0, 0, 0, 0},
    {IDC_REFRESH, 1, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 0, 0, 0},
}};

QString Symbols(LONG count) {
  return QString::fromUtf8(DinovaStrings::kSymbols).arg(count);
}

QString Caption() {
  return QString::fromUtf8(DinovaStrings::Text(IDS_CAPTION));
}

QString Utf8(const char* text) {
  return QString::fromUtf8(text);
}

}  // namespace

CBellWindow::CBellWindow(DeviceClient& device, CAppPathU& paths, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent),
      device_(device),
      paths_(paths),
      dialogs_(dialogs),
      commandRows_(kCommandStates),
      commands_(commandRows_.data()) {
  setObjectName(QStringLiteral("bellWindow"));
  CCommandStatesU::SetControlId(this, IDD_BELL);
  setWindowIcon(DinovaIcons::Icon(IDI_BELL));
  helpViewer_ = [this](const QString& file, const QString& topic) {
    return HtmlHelpU::DisplayTopic(this, file + QStringLiteral("::/") + topic) != nullptr;
  };
  target_ = new QtMessageTarget(
      [this](UINT message, WPARAM wParam, LPARAM lParam) { flow_->OnMessage(message, wParam, lParam); }, this);
  barReset_ = new QTimer(this);
  barReset_->setSingleShot(true);
  barReset_->setInterval(kBarResetMs);
  connect(barReset_, &QTimer::timeout, this, [this] { progress_->setValue(0); });

  flow_ = std::make_unique<CProgrammerFlow>(static_cast<ProgrammerActions&>(*this), target_->Handle());

  BuildControls();
  UpdateTitle();
  ShowStatus(nullptr);
  ApplyControls(Controls::StatusUnknown, Button(IDC_REFRESH));
}

CBellWindow::~CBellWindow() = default;

HWND CBellWindow::MessageWindow() const {
  return target_->Handle();
}

void CBellWindow::BuildControls() {
  auto* layout = new QVBoxLayout(this);
  BuildMenu(layout);

  // Bell type and refresh.
  auto* typeRow = new QHBoxLayout;
  auto* typeLabel = new QLabel(QStringLiteral("Тип звонка"), this);
  bellType_ = new QComboBox(this);
  bellType_->setObjectName(QStringLiteral("bellType"));
  for (const char* type : DinovaStrings::kBellTypes) bellType_->addItem(Utf8(type));
  bellType_->setCurrentIndex(BELL_TYPE_29);
  CCommandStatesU::SetControlId(bellType_, IDC_BELL_TYPE);
  typeLabel->setBuddy(bellType_);
  connect(bellType_, &QComboBox::activated, this, &CBellWindow::SelectBellType);
  auto* refresh = new QPushButton(QStringLiteral("Обновить"), this);
  refresh->setObjectName(QStringLiteral("refresh"));
  refresh->setToolTip(Utf8(DinovaStrings::Text(IDC_REFRESH)));
  CCommandStatesU::SetControlId(refresh, IDC_REFRESH);
  connect(refresh, &QPushButton::clicked, this, [this] { StartFlow(IDC_REFRESH); });
  typeRow->addWidget(typeLabel);
  typeRow->addWidget(bellType_, 1);
  typeRow->addSpacing(16);
  typeRow->addWidget(refresh);
  layout->addLayout(typeRow);

  // Status.
  auto* status = new QGroupBox(QStringLiteral("Состояние звонка"), this);
  auto* form = new QFormLayout(status);
  form->setLabelAlignment(Qt::AlignLeft);
  form->setHorizontalSpacing(24);
  constexpr const char* kCaptions[] = {"Емкость -", "Свободно -", "Количество мелодий -", "Текущая мелодия -",
                                       "Режим выбора мелодии -"};
  QFont bold = font();
  bold.setBold(true);
  for (int i = 0; i < 5; ++i) {
    auto* value = new QLabel(status);
    value->setObjectName(QStringLiteral("field%1").arg(IDC_CAPACITY + i));
    value->setFont(bold);
    value->setMinimumWidth(300);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    CCommandStatesU::SetControlId(value, IDC_CAPACITY + i);
    fields_[static_cast<size_t>(i)] = value;
    form->addRow(Utf8(kCaptions[i]), value);
  }
  layout->addWidget(status);

  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("progress"));
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  CCommandStatesU::SetControlId(progress_, IDC_PROGRESS);
  layout->addWidget(progress_);

  // The device buttons, then "Выход" on its own at the right.
  auto* buttons = new QHBoxLayout;
  for (const IconButton& entry : kIconButtons) {
    auto* button = new QPushButton(DinovaIcons::Icon(entry.icon), QString(), this);
    button->setObjectName(QLatin1String(entry.name));
    button->setIconSize(QSize(32, 32));
    button->setFixedSize(48, 48);
    button->setToolTip(Utf8(DinovaStrings::Text(entry.control)));
    CCommandStatesU::SetControlId(button, entry.control);
    if (entry.control == IDC_EXIT) buttons->addStretch(1);
    buttons->addWidget(button);
    const int control = entry.control;
    connect(button, &QPushButton::clicked, this, [this, control] {
      switch (control) {
        case IDC_CLEAR:
          Clear();
          break;
        case IDC_SELECTION_MODE:
          SetSelectionMode();
          break;
        case IDC_EXIT:
          reject();
          break;
        default:
          StartFlow(control);
          break;
      }
    });
  }
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CBellWindow::BuildMenu(QVBoxLayout* layout) {
  // What a dialog's system menu would hold, and the port.
  auto* bar = new QMenuBar(this);
  QMenu* menu = bar->addMenu(QStringLiteral("&Программа"));
  portAction_ = menu->addAction(QStringLiteral("&Порт..."), this, &CBellWindow::ChoosePort);
  portAction_->setObjectName(QStringLiteral("portAction"));
  menu->addSeparator();
  QAction* help = menu->addAction(QStringLiteral("&Справка"), this, &CBellWindow::ShowHelp);
  help->setShortcut(QKeySequence(Qt::Key_F1));
  addAction(help);
  menu->addAction(QStringLiteral("&О программе"), this, &CBellWindow::ShowAbout);
  layout->setMenuBar(bar);
}

void CBellWindow::UpdateTitle() {
  const std::string port = CPortSetting::Read();
  QString title = Utf8(DinovaStrings::kTitle);
  if (!CPortSetting::IsDefault(port))
    title += QStringLiteral(" — ") + QString::fromStdString(CPortSetting::Describe(port));
  setWindowTitle(title);
}

QPushButton* CBellWindow::Button(int control) const {
  for (auto* button : findChildren<QPushButton*>()) {
    if (CCommandStatesU::ControlId(button) == control) return button;
  }
  return nullptr;
}

QString CBellWindow::FieldText(int control) const {
  const int index = control - IDC_CAPACITY;
  if (index < 0 || index >= static_cast<int>(fields_.size())) return {};
  return fields_[static_cast<size_t>(index)]->text();
}

// --- Status, bar and controls ------------------------------------------------

void CBellWindow::ShowStatus(const BellInfo* info) {
  if (info == nullptr) {
    for (QLabel* field : fields_) field->setText(Utf8(DinovaStrings::kUnknown));
    return;
  }
  fields_[0]->setText(Symbols(info->capacity));
  fields_[1]->setText(Symbols(info->capacity - info->usedSymbols));
  fields_[2]->setText(QString::number(info->melodyCount));
  fields_[3]->setText(info->melodyCount == 0 ? QString() : QString::number(info->currentMelody));
  const BYTE mode = info->selectionMode;
  fields_[4]->setText(mode >= BELL_MODE_SEQUENTIAL && mode <= BELL_MODE_RANDOM
                          ? Utf8(DinovaStrings::kModeNames[mode - 1])
                          : Utf8(DinovaStrings::kUnknown));
}

void CBellWindow::SetBar(int position) {
  progress_->setValue(std::clamp(position, 0, 100));
}

void CBellWindow::SetWaiting(bool waiting) {
  if (waiting) {
    waiting_.emplace();
  } else {
    waiting_.reset();
  }
}

void CBellWindow::Begin() {
  barReset_->stop();
  progress_->setValue(0);
  ApplyControls(Controls::Flow, nullptr);
}

void CBellWindow::End(const Ending& ending) {
  ApplyControls(ending.statusKnown ? Controls::Idle : Controls::StatusUnknown,
                ending.focus == IDC_BELL_TYPE ? static_cast<QWidget*>(bellType_) : Button(ending.focus));
  if (ending.holdBar) {
    // The full bar stays a moment before it empties.
    barReset_->start();
  } else {
    barReset_->stop();
    progress_->setValue(0);
  }
}

void CBellWindow::ApplyControls(Controls state, QWidget* focus) {
  for (const CommandState& row : commandRows_) {
    if (row.command == 0) break;
    bool enabled = true;
    if (state == Controls::Flow) {
      enabled = row.command == IDC_EXIT;
    } else if (state == Controls::StatusUnknown) {
      enabled =
          std::find(std::begin(kDeviceButtons), std::end(kDeviceButtons), row.command) == std::end(kDeviceButtons);
    }
    commands_.SetState(row.command, enabled);
  }
  commands_.ApplyToDialog(focus, this);
  portAction_->setEnabled(state != Controls::Flow);
}

void CBellWindow::ShowError(const QString& text) {
  QString shown = text;
  while (shown.endsWith(QLatin1Char('\n'))) shown.chop(1);
  if (shown.isEmpty()) return;
  dialogs_.MessageBox(this, shown, Caption(), MB_OK | MB_ICONERROR);
}

void CBellWindow::ShowError(const std::u16string& text) {
  ShowError(QString::fromStdU16String(text));
}

// --- Questions and dialogs -------------------------------------------------------

std::string CBellWindow::AskFile(CAppendRules::Kind kind, const CAppendRules::Limits& limits) {
  CCheckedFileDialog dialog(kind, limits, &device_, QFile::decodeName(paths_.WorkDir().c_str()), this);
  if (dialogs_.Exec(dialog) != QDialog::Accepted) return {};
  return QFile::encodeName(dialog.ChosenPath()).toStdString();
}

std::string CBellWindow::AskSavePath() {
  FileDialogRequest request;
  request.filters = {{QStringLiteral("Набор мелодий"), QStringLiteral("*.sto")},
                     {QStringLiteral("Все файлы"), QStringLiteral("*")}};
  request.initialDir = QFile::decodeName(paths_.WorkDir().c_str());
  request.defaultSuffix = QStringLiteral("sto");
  return QFile::encodeName(dialogs_.SaveFileName(this, request)).toStdString();
}

bool CBellWindow::AskMode(BYTE& mode, bool randomAllowed) {
  CModeDialog dialog(mode, randomAllowed, this);
  if (dialogs_.Exec(dialog) != QDialog::Accepted) return false;
  mode = dialog.Mode();
  return true;
}

bool CBellWindow::Ask(Question question) {
  if (question == Question::Clear) {
    return dialogs_.MessageBox(this, Utf8(DinovaStrings::kAskClear), Caption(), MB_YESNO | MB_ICONQUESTION) == IDYES;
  }
  return dialogs_.MessageBox(this, Utf8(DinovaStrings::kAskExitBusy), Caption(),
                             MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void CBellWindow::SetWorkDirFrom(const std::string& path) {
  const QString file = QFile::decodeName(path.c_str());
  paths_.SetWorkDir(QFile::encodeName(QFileInfo(file).absolutePath()).toStdString());
}

// --- Flows and short requests -------------------------------------------------------

void CBellWindow::StartFlow(int control) {
  flow_->Start(control);
}

void CBellWindow::SelectBellType(int index) {
  if (bellType_->currentIndex() != index) bellType_->setCurrentIndex(index);
  flow_->SelectBellType(index);
}

void CBellWindow::Clear() {
  flow_->Clear();
}

void CBellWindow::SetSelectionMode() {
  flow_->SetSelectionMode();
}

// --- Menu ----------------------------------------------------------------------------

void CBellWindow::ChoosePort() {
  if (flow_->IsRunning()) return;
  CPortDialog dialog(CPortSetting::Read(), dialogs_, this);
  if (dialogs_.Exec(dialog) != QDialog::Accepted) return;
  flow_->ChangePort(dialog.Setting());
  UpdateTitle();
}

void CBellWindow::ShowHelp() {
  const QString file = QFile::decodeName(paths_.ProgramDir().c_str()) + Utf8(HtmlHelpU::kHelpFile);
  if (!helpViewer_ || !helpViewer_(file, Utf8(kHelpTopic))) ShowError(Utf8(DinovaStrings::kNoHelp) + file);
}

void CBellWindow::ShowAbout() {
  CAboutDialog dialog(this);
  dialogs_.Exec(dialog);
}

// --- Exit ------------------------------------------------------------------------------

void CBellWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CBellWindow::reject() {
  if (flow_->MayClose()) QDialog::reject();
}
