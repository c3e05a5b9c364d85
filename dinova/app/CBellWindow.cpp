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
#include "CDeviceThread.h"
#include "CModeDialog.h"
#include "CPortDialog.h"
#include "CPortSetting.h"
#include "CWaitCursorU.h"
#include "DinovaIcons.h"
#include "DinovaIds.h"
#include "DinovaStrings.h"
#include "HtmlHelpU.h"
#include "QtMessageTarget.h"
#include "UserDialogs.h"
#include "common/CAppPathU.h"
#include "platform/Kernel.h"

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
  return DinovaStrings::Text(IDS_CAPTION);
}

QString Utf8(const char* text) {
  return QString::fromUtf8(text);
}

}  // namespace

CBellWindow::CBellWindow(CDeviceThread& device, CAppPathU& paths, UserDialogs& dialogs, QWidget* parent)
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
      [this](UINT message, WPARAM wParam, LPARAM lParam) { OnBellMessage(message, wParam, lParam); }, this);
  barReset_ = new QTimer(this);
  barReset_->setSingleShot(true);
  barReset_->setInterval(kBarResetMs);
  connect(barReset_, &QTimer::timeout, this, [this] { progress_->setValue(0); });

  BuildControls();
  UpdateTitle();
  ShowUnknownStatus();
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
  currentType_ = BELL_TYPE_29;
  CCommandStatesU::SetControlId(bellType_, IDC_BELL_TYPE);
  typeLabel->setBuddy(bellType_);
  connect(bellType_, &QComboBox::activated, this, &CBellWindow::SelectBellType);
  auto* refresh = new QPushButton(QStringLiteral("Обновить"), this);
  refresh->setObjectName(QStringLiteral("refresh"));
  refresh->setToolTip(DinovaStrings::Text(IDC_REFRESH));
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
    button->setToolTip(DinovaStrings::Text(entry.control));
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
  if (!CPortSetting::IsDefault(port)) title += QStringLiteral(" — ") + CPortSetting::Describe(port);
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

int CBellWindow::Stretch(int base, LONG index, int percent, LONG count) {
  if (count <= 0) return 100;
  // base + (100 - base) * (index + percent / 100) / count, in hundredths of
  // a stretch so the rounding sees the exact value.
  const long long numerator =
      static_cast<long long>(base) * 100 * count + static_cast<long long>(100 - base) * (index * 100LL + percent);
  const long long denominator = 100LL * count;
  return static_cast<int>((2 * numerator + denominator) / (2 * denominator));
}

// --- Status and controls -------------------------------------------------

void CBellWindow::ShowStatus() {
  fields_[0]->setText(Symbols(info_.capacity));
  fields_[1]->setText(Symbols(info_.capacity - info_.usedSymbols));
  fields_[2]->setText(QString::number(info_.melodyCount));
  fields_[3]->setText(info_.melodyCount == 0 ? QString() : QString::number(info_.currentMelody));
  const BYTE mode = info_.selectionMode;
  fields_[4]->setText(mode >= BELL_MODE_SEQUENTIAL && mode <= BELL_MODE_RANDOM
                          ? Utf8(DinovaStrings::kModeNames[mode - 1])
                          : Utf8(DinovaStrings::kUnknown));
}

void CBellWindow::ShowUnknownStatus() {
  for (QLabel* field : fields_) field->setText(Utf8(DinovaStrings::kUnknown));
}

void CBellWindow::SetBar(int position) {
  progress_->setValue(std::clamp(position, 0, 100));
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

void CBellWindow::ShowError(const CStringU& text) {
  ShowError(QString::fromStdU16String(std::u16string(text.View())));
}

void CBellWindow::SetWorkDirFrom(const QString& path) {
  paths_.SetWorkDir(QFile::encodeName(QFileInfo(path).absolutePath()).toStdString());
}

// --- Flows -----------------------------------------------------------------

void CBellWindow::StartFlow(int control) {
  if (flow_ != 0 || closing_) return;
  UINT flow = FLOW_REFRESH;
  if (control == IDC_ADD_MELODY) flow = FLOW_ADD_MELODY;
  if (control == IDC_WRITE_SET) flow = FLOW_WRITE_SET;
  if (control == IDC_READ_SET) flow = FLOW_READ_SET;
  if (!SendRequest(DEVM_READ_INFO, flow, 1)) return;
  flow_ = flow;
  starter_ = control == IDC_BELL_TYPE ? static_cast<QWidget*>(bellType_) : Button(control);
  barReset_->stop();
  progress_->setValue(0);
  ApplyControls(Controls::Flow, nullptr);
}

void CBellWindow::SelectBellType(int index) {
  if (bellType_->currentIndex() != index) bellType_->setCurrentIndex(index);
  if (index == currentType_ || flow_ != 0) return;
  currentType_ = index;
  StartFlow(IDC_BELL_TYPE);
}

bool CBellWindow::SendRequest(UINT request, UINT flow, LONG first) {
  request_ = {bellType_->currentIndex(), MessageWindow(), flow, &info_, first};
  CStringU error;
  LONG answer = 0;
  {
    // Device requests first wait until the bell's last worker has finished.
    CWaitCursorU wait;
    answer = device_.Send(request, reinterpret_cast<WPARAM>(&error), reinterpret_cast<LPARAM>(&request_));
  }
  if (answer != 0) return true;
  ShowError(error);
  return false;
}

void CBellWindow::OnBellMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // Messages of a flow that has ended (or of a bell cancelled on exit) are late.
  if (closing_ || message != flow_) return;
  const WORD operation = LOWORD(wParam);
  const int percent = HIWORD(wParam);
  switch (message) {
    case FLOW_REFRESH:
      OnRefresh(operation, percent, lParam);
      break;
    case FLOW_ADD_MELODY:
      OnAddMelody(operation, percent, lParam);
      break;
    case FLOW_WRITE_SET:
      OnWriteSet(operation, percent, lParam);
      break;
    case FLOW_READ_SET:
      OnReadSet(operation, percent, lParam);
      break;
    default:
      break;
  }
}

void CBellWindow::StatusReadFailed(LPARAM code) {
  if (code == BELL_ERR_TRANSFER || code == BELL_ERR_CANCELLED) {
    IoError();
  } else {
    // Refused, no runtime for the worker, no memory: nothing of the status
    // can be trusted, but the program can go on.
    ProgramError(false);
  }
}

void CBellWindow::OnRefresh(WORD operation, int percent, LPARAM code) {
  if (operation != BELL_OP_READ_INFO) return;
  if (code != BELL_ERR_NONE) {
    StatusReadFailed(code);
    return;
  }
  SetBar(percent);
  if (percent >= 100) {
    statusKnown_ = true;
    Done();
  }
}

// The status read that opens an append flow fills the bar's first stretch
// (1/share of it), then asks for the file and starts appending. Returns true
// when the message belonged to that read.
bool CBellWindow::OnStatusBeforeAppend(WORD operation, int percent, LPARAM code, int share, bool melody) {
  if (operation != BELL_OP_READ_INFO) return false;
  if (code != BELL_ERR_NONE) {
    StatusReadFailed(code);
    return true;
  }
  SetBar(percent / share);
  if (percent < 100) return true;
  base_ = progress_->value();
  statusKnown_ = true;
  ShowStatus();
  const QString path = ChooseFile(melody);
  if (path.isEmpty() || !PrepareAppend(path) || !LoadAndAppend(path, melody)) Done();
  return true;
}

void CBellWindow::OnAddMelody(WORD operation, int percent, LPARAM code) {
  if (OnStatusBeforeAppend(operation, percent, code, 2, true)) return;
  if (operation != BELL_OP_ADD_MELODY) return;
  if (code == BELL_ERR_NONE) {
    SetBar(base_ + percent / 2);
    if (percent >= 100) Done();
  } else if (code == BELL_ERR_TRANSFER || code == BELL_ERR_CANCELLED) {
    IoError();
  } else {
    ProgramError(true);
  }
}

void CBellWindow::OnWriteSet(WORD operation, int percent, LPARAM code) {
  if (OnStatusBeforeAppend(operation, percent, code, 10, false)) return;
  if (operation != BELL_OP_ADD_MELODY) return;
  if (code == BELL_ERR_REFUSED || code == BELL_ERR_COINIT || code == BELL_ERR_NOMEMORY) {
    ProgramError(true);
    return;
  }
  if (code != BELL_ERR_NONE) {
    IoError();
    return;
  }
  SetBar(Stretch(base_, index_, percent, count_));
  if (percent < 100) return;
  ShowStatus();
  if (++index_ >= count_) {
    Done();
    return;
  }
  if (!SendRequest(DEVM_ADD_MELODY, FLOW_WRITE_SET, 0)) Done();
}

void CBellWindow::OnReadSet(WORD operation, int percent, LPARAM code) {
  if (operation == BELL_OP_READ_INFO) {
    if (code != BELL_ERR_NONE) {
      StatusReadFailed(code);
      return;
    }
    SetBar(percent / 10);
    if (percent < 100) return;
    base_ = progress_->value();
    statusKnown_ = true;
    ShowStatus();
    index_ = 0;
    count_ = info_.melodyCount;
    if (!SendRequest(DEVM_READ_MELODY, FLOW_READ_SET, 1)) Done();
    return;
  }
  if (operation != BELL_OP_READ_MELODY) return;
  if (code == BELL_ERR_REFUSED || code == BELL_ERR_COINIT || code == BELL_ERR_NOMEMORY) {
    ProgramError(true);
    return;
  }
  if (code != BELL_ERR_NONE) {
    IoError();
    return;
  }
  SetBar(Stretch(base_, index_, percent, count_));
  if (percent < 100) return;
  ShowStatus();
  if (++index_ < count_) {
    if (!SendRequest(DEVM_READ_MELODY, FLOW_READ_SET, 0)) Done();
    return;
  }
  Done();
  SaveReadSet();
}

QString CBellWindow::ChooseFile(bool melody) {
  const CFileChecker::Kind kind = melody ? CFileChecker::Kind::Melody : CFileChecker::Kind::Set;
  CCheckedFileDialog dialog(kind, info_.capacity - info_.usedSymbols, &device_,
                            QFile::decodeName(paths_.WorkDir().c_str()), this);
  if (dialogs_.Exec(dialog) != QDialog::Accepted) return {};
  return dialog.ChosenPath();
}

bool CBellWindow::PrepareAppend(const QString& path) {
  SetWorkDirFrom(path);
  if (info_.currentMelody == 0) info_.currentMelody = 1;
  if (info_.selectionMode != BELL_MODE_UNKNOWN) return true;
  CModeDialog dialog(info_.selectionMode, bellType_->currentIndex() == BELL_TYPE_29, this);
  if (dialogs_.Exec(dialog) != QDialog::Accepted) return false;
  info_.selectionMode = dialog.Mode();
  return true;
}

bool CBellWindow::LoadAndAppend(const QString& path, bool melody) {
  const QByteArray file = QFile::encodeName(path);
  CStringU error;
  if (device_.Send(melody ? DEVM_LOAD_MELODY : DEVM_LOAD_SET, reinterpret_cast<WPARAM>(&error),
                   reinterpret_cast<LPARAM>(file.constData())) == 0) {
    ShowError(error);
    return false;
  }
  index_ = 0;
  count_ = 1;
  if (!melody) {
    LONG count = 0;
    device_.Send(DEVM_GET_COUNT, reinterpret_cast<WPARAM>(&count));
    if (count <= 0) return false;
    count_ = count;
  }
  return SendRequest(DEVM_ADD_MELODY, flow_, 1);
}

void CBellWindow::SaveReadSet() {
  FileDialogRequest request;
  request.filters = {{QStringLiteral("Набор мелодий"), QStringLiteral("*.sto")},
                     {QStringLiteral("Все файлы"), QStringLiteral("*")}};
  request.initialDir = QFile::decodeName(paths_.WorkDir().c_str());
  request.defaultSuffix = QStringLiteral("sto");
  const QString path = dialogs_.SaveFileName(this, request);
  if (path.isEmpty()) return;
  SetWorkDirFrom(path);
  const QByteArray file = QFile::encodeName(path);
  CStringU error;
  CWaitCursorU wait;
  if (device_.Send(DEVM_SAVE_SET, reinterpret_cast<WPARAM>(&error), reinterpret_cast<LPARAM>(file.constData())) == 0) {
    ShowError(error);
  }
}

// --- Ends of a flow --------------------------------------------------------

void CBellWindow::EndFlow() {
  flow_ = 0;
}

void CBellWindow::Done() {
  QWidget* focus = starter_;
  EndFlow();
  if (statusKnown_) {
    ShowStatus();
    ApplyControls(Controls::Idle, focus);
  } else {
    ApplyControls(Controls::StatusUnknown, Button(IDC_REFRESH));
  }
  // The full bar stays a moment before it empties.
  barReset_->start();
}

void CBellWindow::IoError() {
  EndFlow();
  ShowError(Utf8(DinovaStrings::kIoError));
  statusKnown_ = false;
  ShowUnknownStatus();
  ApplyControls(Controls::StatusUnknown, Button(IDC_REFRESH));
  barReset_->stop();
  progress_->setValue(0);
}

void CBellWindow::ProgramError(bool statusKnown) {
  EndFlow();
  ShowError(Utf8(DinovaStrings::kProgramError));
  statusKnown_ = statusKnown_ && statusKnown;
  if (statusKnown_) {
    ShowStatus();
    ApplyControls(Controls::Idle, nullptr);
  } else {
    ShowUnknownStatus();
    ApplyControls(Controls::StatusUnknown, Button(IDC_REFRESH));
  }
  barReset_->stop();
  progress_->setValue(0);
}

// --- Short requests --------------------------------------------------------

void CBellWindow::ShortRequestFailed(const CStringU& error) {
  ShowError(error);
  statusKnown_ = false;
  ShowUnknownStatus();
  ApplyControls(Controls::StatusUnknown, Button(IDC_REFRESH));
}

void CBellWindow::Clear() {
  if (flow_ != 0 || !statusKnown_) return;
  if (dialogs_.MessageBox(this, Utf8(DinovaStrings::kAskClear), Caption(), MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }
  request_ = {bellType_->currentIndex(), MessageWindow(), 0, &info_, 0};
  CStringU error;
  LONG answer = 0;
  {
    CWaitCursorU wait;
    answer = device_.Send(DEVM_CLEAR, reinterpret_cast<WPARAM>(&error), reinterpret_cast<LPARAM>(&request_));
  }
  if (answer != 0) {
    ShowStatus();
  } else {
    ShortRequestFailed(error);
  }
}

void CBellWindow::SetSelectionMode() {
  if (flow_ != 0 || !statusKnown_) return;
  CModeDialog dialog(info_.selectionMode, bellType_->currentIndex() == BELL_TYPE_29, this);
  if (dialogs_.Exec(dialog) != QDialog::Accepted) return;
  info_.selectionMode = dialog.Mode();
  request_ = {bellType_->currentIndex(), MessageWindow(), 0, &info_, 0};
  CStringU error;
  if (device_.Send(DEVM_SET_MODE, reinterpret_cast<WPARAM>(&error), reinterpret_cast<LPARAM>(&request_)) != 0) {
    ShowStatus();
  } else {
    ShortRequestFailed(error);
  }
}

// --- Menu --------------------------------------------------------------------

void CBellWindow::ChoosePort() {
  if (flow_ != 0) return;
  const std::string before = CPortSetting::Read();
  CPortDialog dialog(before, dialogs_, this);
  if (dialogs_.Exec(dialog) != QDialog::Accepted || dialog.Setting() == before) return;

  if (!CPortSetting::Write(dialog.Setting())) {
    ShowError(QStringLiteral("Не удалось сохранить настройку порта"));
    return;
  }
  CStringU error;
  LONG answer = 0;
  {
    CWaitCursorU wait;
    answer = device_.Send(DEVM_REOPEN_PORT, reinterpret_cast<WPARAM>(&error));
  }
  if (answer == 0) {
    // Back to the port that worked, so the program keeps a bell.
    ShowError(Utf8(DinovaStrings::kBellCreateFailed) + QStringLiteral(": ") + CPortSetting::Describe(dialog.Setting()));
    CPortSetting::Write(before);
    device_.Send(DEVM_REOPEN_PORT, reinterpret_cast<WPARAM>(&error));
  }
  UpdateTitle();
  // Whatever the status was, it belonged to the bell on the other port.
  statusKnown_ = false;
  ShowUnknownStatus();
  ApplyControls(Controls::StatusUnknown, Button(IDC_REFRESH));
}

void CBellWindow::ShowHelp() {
  const QString file = QFile::decodeName(paths_.ProgramDir().c_str()) + Utf8(HtmlHelpU::kHelpFile);
  if (!helpViewer_ || !helpViewer_(file, Utf8(kHelpTopic))) ShowError(Utf8(DinovaStrings::kNoHelp) + file);
}

void CBellWindow::ShowAbout() {
  CAboutDialog dialog(this);
  dialogs_.Exec(dialog);
}

// --- Exit --------------------------------------------------------------------

void CBellWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CBellWindow::reject() {
  if (closing_) {
    QDialog::reject();
    return;
  }
  // A bell that cannot answer (no bell object) runs nothing either.
  LONG busy = 0;
  device_.Send(DEVM_IS_BUSY, reinterpret_cast<WPARAM>(&busy));
  if (busy != 0) {
    if (dialogs_.MessageBox(this, Utf8(DinovaStrings::kAskExitBusy), Caption(),
                            MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
      return;
    }
    CWaitCursorU wait;
    device_.Send(DEVM_CANCEL);
    do {
      Sleep(kBusyPollMs);
      busy = 0;
      device_.Send(DEVM_IS_BUSY, reinterpret_cast<WPARAM>(&busy));
    } while (busy != 0);
  }
  closing_ = true;
  QDialog::reject();
}
