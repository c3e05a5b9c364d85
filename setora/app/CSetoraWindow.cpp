#include "CSetoraWindow.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <new>
#include <utility>

#include "CAboutDialog.h"
#include "CMelodyList.h"
#include "CSetoraDocThread.h"
#include "CSizeDisplay.h"
#include "CWaitCursorU.h"
#include "HtmlHelpU.h"
#include "SetoraIds.h"
#include "SetoraMessages.h"
#include "SetoraStrings.h"
#include "UserDialogs.h"
#include "common/CAppPathU.h"
#include "common/CStringU.h"
#include "platform/CodePage.h"

// The icons live in the program's library; a static library's resources
// must be registered by hand.
static void InitResources() {
  Q_INIT_RESOURCE(setora);
}

namespace {

constexpr const char* kHelpTopic = "edstos_about.htm";

// The command-state rows: command, enabled at start, menu, dirty, no
// tool-bar button.
constexpr LONG kMenu = CCommandStatesU::kMenuId;
constexpr std::array<CommandState, CSetoraWindow::kCommandRows> kCommandStates = {{
    {IDM_NEW, 1, kMenu, 0, 0, 0, 0},
    {IDM_OPEN, 1, kMenu, 0, 0, 0, 0},
    {IDM_SAVE, 1, kMenu, 0, 0, 0, 0},
    {IDM_SAVE_AS, 1, kMenu, 0, 0, 0, 0},
    {IDM_SAVE_MELODY, 0, kMenu, 0, 0, 0, 0},
    {IDM_EXIT, 1, kMenu, 0, 0, 0, 0},
    {IDM_ADD_MELODY, 1, kMenu, 0, 0, 0, 0},
    {IDM_DELETE_MELODY, 0, kMenu, 0, 0, 0, 0},
    {IDM_MELODY_UP, 0, kMenu, 0, 0, 0, 0},
    {IDM_MELODY_DOWN, 0, kMenu, 0, 0, 0, 0},
    {IDM_PLAY, 0, kMenu, 0, 0, 0, 0},
    {IDM_STOP, 0, kMenu, 0, 0, 0, 0},
    {IDM_ABOUT, 1, kMenu, 0, 0, 0, 0},
    {0, 0, 0, 0, 0, 0, 0},
}};

// Commands the playing state turns off.
constexpr int kIdleCommands[] = {IDM_NEW,       IDM_OPEN,        IDM_ADD_MELODY, IDM_DELETE_MELODY,
                                 IDM_MELODY_UP, IDM_MELODY_DOWN, IDM_PLAY};

struct MenuItem {
  int id;  // 0: separator
  const char* text;
  QKeySequence key;
};

struct Popup {
  const char* title;
  std::vector<MenuItem> items;
};

std::vector<Popup> MenuBar() {
  const QKeySequence none;
  return {
      {"&Файл",
       {{IDM_NEW, "&Новый\tCtrl+N", QKeySequence(Qt::CTRL | Qt::Key_N)},
        {IDM_OPEN, "&Открыть...\tCtrl+O", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {IDM_SAVE, "&Сохранить\tCtrl+S", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {IDM_SAVE_AS, "Со&хранить как...", none},
        {0, nullptr, none},
        {IDM_SAVE_MELODY, "Сох&ранить мелодию...", none},
        {0, nullptr, none},
        {IDM_EXIT, "&Выход\tAlt+X", QKeySequence(Qt::ALT | Qt::Key_X)}}},
      {"&Правка",
       {{IDM_ADD_MELODY, "&Добавить мелодию", none},
        {IDM_DELETE_MELODY, "&Удалить мелодию", none},
        {0, nullptr, none},
        {IDM_MELODY_UP, "&Мелодия вверх", none},
        {IDM_MELODY_DOWN, "М&елодия вниз", none}}},
      {"&Воспроизведение", {{IDM_PLAY, "&Проиграть мелодию", none}, {IDM_STOP, "&Остановить воспроизведение", none}}},
      {"&Справка", {{IDM_HELP, "С&правка", none}, {IDM_ABOUT, "&О программе...", none}}},
  };
}

FileDialogRequest FileRequest(const CAppPathU& paths, const char* description, const char* pattern,
                              const char* suffix) {
  FileDialogRequest request;
  request.filters = {{QString::fromUtf8(description), QString::fromUtf8(pattern)},
                     {QStringLiteral("Все файлы"), QStringLiteral("*.*")}};
  request.initialDir = QString::fromStdString(paths.WorkDir());
  request.defaultSuffix = QString::fromUtf8(suffix);
  return request;
}

FileDialogRequest SetFiles(const CAppPathU& paths) {
  return FileRequest(paths, "Набор мелодий", "*.sto", "sto");
}

FileDialogRequest MelodyFiles(const CAppPathU& paths) {
  return FileRequest(paths, "Мелодия", "*.mel", "mel");
}

// The folder of a full path as the work folder takes it.
std::string FolderOf(const QString& path) {
  return QFile::encodeName(QFileInfo(path).absolutePath()).toStdString();
}

QString FromCString(const CStringU& text) {
  return QString::fromStdU16String(std::u16string(text.View()));
}

}  // namespace

CSetoraWindow::CSetoraWindow(CSetoraDocThread& doc, CAppPathU& paths, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), doc_(doc), paths_(paths), dialogs_(dialogs), rows_(kCommandStates), states_(rows_.data()) {
  InitResources();
  setObjectName(QStringLiteral("setoraDialog"));
  setWindowIcon(QIcon(QStringLiteral(":/setora/icons/setora.svg")));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setWindowFlag(Qt::WindowMinimizeButtonHint, true);

  auto* menuBar = new QMenuBar(this);
  BuildMenu(menuBar);
  BuildControls();
  layout()->setMenuBar(menuBar);

  handlers_ = {
      {IDM_NEW, [this] { NewSet(); }},
      {IDM_OPEN, [this] { OpenSet(); }},
      {IDM_SAVE, [this] { Save(); }},
      {IDM_SAVE_AS, [this] { SaveAs(); }},
      {IDM_SAVE_MELODY, [this] { SaveMelody(); }},
      {IDM_EXIT, [this] { Exit(); }},
      {IDM_ADD_MELODY, [this] { AddMelodies(); }},
      {IDM_DELETE_MELODY, [this] { DeleteMelodies(); }},
      {IDM_MELODY_UP, [this] { MoveMelody(true); }},
      {IDM_MELODY_DOWN, [this] { MoveMelody(false); }},
      {IDM_PLAY, [this] { Play(); }},
      {IDM_STOP, [this] { Stop(); }},
      {IDM_HELP, [this] { Help(); }},
      {IDM_ABOUT, [this] { About(); }},
  };

  playTimer_.setInterval(kPlayPollMs);
  connect(&playTimer_, &QTimer::timeout, this, &CSetoraWindow::PollPlayback);
}

CSetoraWindow::~CSetoraWindow() = default;

void CSetoraWindow::BuildMenu(QMenuBar* bar) {
  for (const Popup& popup : MenuBar()) {
    QMenu* menu = bar->addMenu(QString::fromUtf8(popup.title));
    for (const MenuItem& item : popup.items) {
      if (item.id == 0) {
        menu->addSeparator();
        continue;
      }
      auto* action = new QAction(QString::fromUtf8(item.text), this);
      action->setObjectName(QStringLiteral("cmd%1").arg(item.id));
      if (!item.key.isEmpty()) {
        action->setShortcut(item.key);
        action->setShortcutContext(Qt::WindowShortcut);
      }
      menu->addAction(action);
      addAction(action);  // the shortcuts work while the menus are closed
      actions_[item.id] = action;
      states_.BindAction(item.id, action);
      connect(action, &QAction::triggered, this, [this, id = item.id] { RunCommand(id); });
    }
  }
}

QPushButton* CSetoraWindow::AddButton(int id, const char* icon) {
  auto* button = new QPushButton(this);
  button->setObjectName(QStringLiteral("button%1").arg(id));
  button->setIcon(QIcon(QStringLiteral(":/setora/icons/%1.svg").arg(QString::fromUtf8(icon))));
  button->setIconSize(QSize(24, 24));
  button->setToolTip(SetoraStrings::Text(id));
  CCommandStatesU::SetControlId(button, id);
  buttons_[id] = button;
  connect(button, &QPushButton::clicked, this, [this, id] { RunCommand(id); });
  return button;
}

void CSetoraWindow::BuildControls() {
  list_ = new CMelodyList(this);
  list_->setObjectName(QStringLiteral("melodyList"));
  list_->setMinimumSize(300, 260);
  CCommandStatesU::SetControlId(list_, IDC_MELODY_LIST);
  connect(list_, &QListWidget::itemSelectionChanged, this, &CSetoraWindow::OnSelectionChanged);

  // The tall buttons beside the list.
  auto* moves = new QVBoxLayout;
  for (auto [id, icon] : {std::pair{IDM_MELODY_UP, "up"}, std::pair{IDM_MELODY_DOWN, "down"}}) {
    QPushButton* button = AddButton(id, icon);
    button->setFixedWidth(36);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    moves->addWidget(button, 1);
  }
  auto* setBox = new QGroupBox(QStringLiteral("Набор мелодий"), this);
  auto* setLayout = new QHBoxLayout(setBox);
  setLayout->addWidget(list_, 1);
  setLayout->addLayout(moves);

  setSize_ = new CSizeDisplay(this);
  blockSize_ = new CSizeDisplay(this);
  const std::pair<CSizeDisplay*, int> displays[] = {{setSize_, IDC_SET_SIZE}, {blockSize_, IDC_BLOCK_SIZE}};
  auto* right = new QVBoxLayout;
  for (auto [display, id] : displays) {
    display->setObjectName(id == IDC_SET_SIZE ? QStringLiteral("setSize") : QStringLiteral("blockSize"));
    display->setToolTip(SetoraStrings::Text(id));
    CCommandStatesU::SetControlId(display, id);
    auto* box =
        new QGroupBox(id == IDC_SET_SIZE ? QStringLiteral("Размер набора") : QStringLiteral("Размер блока"), this);
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->addWidget(display);
    right->addWidget(box);
  }

  auto* controlBox = new QGroupBox(QStringLiteral("Управление"), this);
  auto* grid = new QGridLayout(controlBox);
  const std::pair<int, const char*> controls[] = {
      {IDM_NEW, "new"},
      {IDM_OPEN, "open"},
      {IDM_SAVE, "save"},
      {IDM_ADD_MELODY, "add"},
      {IDM_DELETE_MELODY, "delete"},
      {IDM_SAVE_MELODY, "savemelody"},
      {IDM_PLAY, "play"},
      {IDM_STOP, "stop"},
  };
  for (int i = 0; i < 8; ++i) {
    QPushButton* button = AddButton(controls[i].first, controls[i].second);
    button->setFixedSize(40, 36);
    grid->addWidget(button, i / 4, i % 4);
  }
  right->addWidget(controlBox);
  right->addStretch(1);

  auto* body = new QHBoxLayout(this);
  body->addWidget(setBox, 1);
  body->addLayout(right);
}

QAction* CSetoraWindow::Action(int id) const {
  const auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

QPushButton* CSetoraWindow::Button(int id) const {
  const auto it = buttons_.find(id);
  return it == buttons_.end() ? nullptr : it->second;
}

void CSetoraWindow::Initialise() {
  ApplySelectionRules();
  Refresh(Button(IDM_ADD_MELODY));
}

void CSetoraWindow::RunCommand(int id) {
  // A disabled command can still arrive through a queued trigger.
  if (!states_.IsEnabled(id)) return;
  const auto it = handlers_.find(id);
  if (it == handlers_.end()) return;
  focus_ = nullptr;
  it->second();
  if (!closing_) Refresh(focus_);
}

// --- State --------------------------------------------------------------

void CSetoraWindow::Refresh(QWidget* focus) {
  UpdateTitle();
  UpdateSizes();
  states_.ApplyToMenu();
  states_.ApplyToDialog(focus, this);
}

std::string CSetoraWindow::DocumentPath() {
  std::string path;
  doc_.Send(SDM_GET_PATH, reinterpret_cast<WPARAM>(&path));
  return path;
}

void CSetoraWindow::UpdateTitle() {
  const QString name = QFileInfo(QString::fromStdString(DocumentPath())).fileName();
  const bool modified = doc_.Send(SDM_IS_MODIFIED) != 0;
  setWindowTitle(
      QStringLiteral("%1 - %2%3").arg(SetoraStrings::Title(), name, modified ? QStringLiteral(" *") : QString()));
}

void CSetoraWindow::UpdateSizes() {
  setSize_->SetValue(list_->SetSize());
  blockSize_->SetValue(list_->BlockSize());
}

void CSetoraWindow::ApplySelectionRules() {
  const std::vector<int> rows = list_->SelectedRows();
  const bool one = rows.size() == 1;
  const bool idle = !playing_;
  const int last = list_->count() - 1;
  states_.SetState(IDM_SAVE_MELODY, one);
  states_.SetState(IDM_DELETE_MELODY, idle && !rows.empty());
  states_.SetState(IDM_PLAY, idle && one);
  states_.SetState(IDM_MELODY_UP, idle && one && rows.front() > 0);
  states_.SetState(IDM_MELODY_DOWN, idle && one && rows.front() < last);
}

void CSetoraWindow::OnSelectionChanged() {
  // Playback belongs to the melody that was selected when it started.
  if (playing_) Stop();
  ApplySelectionRules();
  Refresh(nullptr);
}

// --- The list -----------------------------------------------------------

void CSetoraWindow::LoadMelody(int row, bool append) {
  CStringU name;
  LONG notes = 0;
  doc_.Send(SDM_GET_NAME, reinterpret_cast<WPARAM>(&name), row);
  doc_.Send(SDM_GET_NOTE_COUNT, reinterpret_cast<WPARAM>(&notes), row);
  const QSignalBlocker block(list_);
  if (append) {
    list_->Append(FromCString(name), notes);
  } else {
    list_->Replace(row, FromCString(name), notes);
  }
}

void CSetoraWindow::RebuildList() {
  {
    const QSignalBlocker block(list_);
    list_->clear();
  }
  LONG count = 0;
  doc_.Send(SDM_GET_COUNT, reinterpret_cast<WPARAM>(&count));
  for (LONG row = 0; row < count; ++row) LoadMelody(row, true);
}

// --- Document commands --------------------------------------------------

void CSetoraWindow::ShowError(const QString& text) {
  dialogs_.MessageBox(this, text, SetoraStrings::Title(), MB_OK | MB_ICONERROR);
}

bool CSetoraWindow::ConfirmDiscard() {
  if (doc_.Send(SDM_IS_MODIFIED) == 0) return true;
  const int answer = dialogs_.MessageBox(this, QString::fromUtf8(SetoraStrings::kSaveQuestion), SetoraStrings::Title(),
                                         MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDCANCEL) return false;
  // Yes goes on only when the set was really saved: a cancelled save dialog
  // or a failed save keeps the changes on screen.
  return answer != IDYES || Save();
}

void CSetoraWindow::NewSet() {
  if (!ConfirmDiscard()) return;
  const std::string name = nv::Utf8ToAnsi(SetoraStrings::kNewSetName);
  if (doc_.Send(SDM_NEW, 0, reinterpret_cast<LPARAM>(name.c_str())) == 0) {
    ShowError(QString::fromUtf8(SetoraStrings::kNewFailed));
    return;
  }
  RebuildList();
  hasFile_ = false;
  ApplySelectionRules();
  focus_ = Button(IDM_ADD_MELODY);
}

void CSetoraWindow::OpenSet() {
  if (!ConfirmDiscard()) return;
  const QString path = dialogs_.OpenFileName(this, SetFiles(paths_));
  if (path.isEmpty()) return;
  paths_.SetWorkDir(FolderOf(path));

  const QByteArray encoded = QFile::encodeName(path);
  CStringU error;
  if (doc_.Send(SDM_OPEN, reinterpret_cast<WPARAM>(&error), reinterpret_cast<LPARAM>(encoded.constData())) == 0) {
    ShowError(FromCString(error));
    // A set that failed while its melodies were read stays in the document
    // with what could be read; show that, and let Save ask for a name rather
    // than write over the damaged file.
    if (DocumentPath() == encoded.toStdString()) {
      RebuildList();
      hasFile_ = false;
      if (list_->count() > 0) list_->SelectOnly(0);
      ApplySelectionRules();
    }
    return;
  }
  RebuildList();
  if (list_->count() > 0) list_->SelectOnly(0);
  list_->scrollToTop();
  hasFile_ = true;
  ApplySelectionRules();
  focus_ = list_;
}

bool CSetoraWindow::Save() {
  QByteArray encoded;
  if (!hasFile_) {
    FileDialogRequest request = SetFiles(paths_);
    request.initialName = QFileInfo(QString::fromStdString(DocumentPath())).fileName();
    const QString path = dialogs_.SaveFileName(this, request);
    if (path.isEmpty()) return false;
    paths_.SetWorkDir(FolderOf(path));
    encoded = QFile::encodeName(path);
  }
  CStringU error;
  const LPARAM target = encoded.isNull() ? 0 : reinterpret_cast<LPARAM>(encoded.constData());
  if (doc_.Send(SDM_SAVE, reinterpret_cast<WPARAM>(&error), target) == 0) {
    ShowError(FromCString(error));
    return false;
  }
  hasFile_ = true;
  return true;
}

void CSetoraWindow::SaveAs() {
  const bool hadFile = std::exchange(hasFile_, false);
  if (!Save()) hasFile_ = hadFile;
}

void CSetoraWindow::SaveMelody() {
  const std::vector<int> rows = list_->SelectedRows();
  if (rows.size() != 1) return;
  const int row = rows.front();
  FileDialogRequest request = MelodyFiles(paths_);
  // A name may hold characters a file name cannot.
  QString name = list_->Name(row);
  name.replace(QLatin1Char('/'), QLatin1Char('_'));
  request.initialName = name;
  const QString path = dialogs_.SaveFileName(this, request);
  if (path.isEmpty()) return;

  const QByteArray encoded = QFile::encodeName(path);
  const SaveMelodyBlock block{row, encoded.constData()};
  CStringU error;
  if (doc_.Send(SDM_SAVE_MELODY, reinterpret_cast<WPARAM>(&error), reinterpret_cast<LPARAM>(&block)) == 0) {
    ShowError(FromCString(error));
  }
}

void CSetoraWindow::Exit() {
  if (!ConfirmDiscard()) return;
  if (playing_) Stop();
  closing_ = true;
  QDialog::done(QDialog::Accepted);
}

void CSetoraWindow::reject() {
  RunCommand(IDM_EXIT);
}

void CSetoraWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

// --- Melody commands ----------------------------------------------------

void CSetoraWindow::AddMelodies() {
  const QStringList files = dialogs_.OpenFileNames(this, MelodyFiles(paths_));
  if (files.isEmpty()) return;
  paths_.SetWorkDir(FolderOf(files.front()));

  CWaitCursorU wait;
  for (const QString& file : files) {
    const QByteArray encoded = QFile::encodeName(file);
    CStringU error;
    if (doc_.Send(SDM_ADD_MELODY, reinterpret_cast<WPARAM>(&error), reinterpret_cast<LPARAM>(encoded.constData())) ==
        0) {
      // The files before this one stay in the set and in the list.
      ShowError(FromCString(error));
      break;
    }
    LoadMelody(list_->count(), true);
    list_->SelectOnly(list_->count() - 1);
  }
  ApplySelectionRules();
  focus_ = list_;
}

void CSetoraWindow::DeleteMelodies() {
  std::vector<int> rows;
  try {
    rows = list_->SelectedRows();
  } catch (const std::bad_alloc&) {
    ShowError(QString::fromUtf8(SetoraStrings::kNoMemory));
    return;
  }
  if (rows.empty()) return;
  if (dialogs_.MessageBox(this, QString::fromUtf8(SetoraStrings::kDeleteQuestion), SetoraStrings::Title(),
                          MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }

  {
    // From the highest index down, so the lower indices stay valid.
    const QSignalBlocker block(list_);
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
      if (doc_.Send(SDM_DELETE, 0, *it) != 0) delete list_->takeItem(*it);
    }
  }
  const int first = rows.front();
  list_->RenumberFrom(first);
  const int count = list_->count();
  if (count == 0) {
    focus_ = Button(IDM_ADD_MELODY);
  } else {
    list_->SelectOnly(std::min(first, count - 1));
    focus_ = list_;
  }
  ApplySelectionRules();
}

void CSetoraWindow::MoveMelody(bool up) {
  const std::vector<int> rows = list_->SelectedRows();
  if (rows.size() != 1) return;
  const int row = rows.front();
  const int other = up ? row - 1 : row + 1;
  if (other < 0 || other >= list_->count()) return;
  if (doc_.Send(up ? SDM_MOVE_UP : SDM_MOVE_DOWN, 0, row) == 0) return;
  LoadMelody(row, false);
  LoadMelody(other, false);
  list_->SelectOnly(other);
  ApplySelectionRules();
  focus_ = list_;
}

void CSetoraWindow::Play() {
  const std::vector<int> rows = list_->SelectedRows();
  if (rows.size() != 1) return;
  CStringU error;
  if (doc_.Send(SDM_PLAY, reinterpret_cast<WPARAM>(&error), rows.front()) == 0) {
    if (!error.IsEmpty()) ShowError(FromCString(error));
    return;
  }
  playing_ = true;
  playingIndex_ = rows.front();
  playTimer_.start();
  for (int id : kIdleCommands) states_.SetState(id, false);
  states_.SetState(IDM_STOP, true);
  focus_ = Button(IDM_STOP);
}

void CSetoraWindow::PollPlayback() {
  if (!playing_) return;
  LONG stopped = 1;
  if (doc_.Send(SDM_IS_STOPPED, reinterpret_cast<WPARAM>(&stopped), playingIndex_) != 0 && stopped == 0) return;
  // The Stop button goes grey; the focus moves to Play rather than nowhere.
  const bool onStop = Button(IDM_STOP)->hasFocus();
  EndPlayback();
  Refresh(onStop ? Button(IDM_PLAY) : nullptr);
}

void CSetoraWindow::Stop() {
  if (!playing_) return;
  doc_.Send(SDM_STOP, 0, playingIndex_);
  CWaitCursorU wait;
  QElapsedTimer waited;
  waited.start();
  for (;;) {
    LONG stopped = 1;
    if (doc_.Send(SDM_IS_STOPPED, reinterpret_cast<WPARAM>(&stopped), playingIndex_) == 0 || stopped != 0) break;
    // The playback timer keeps watching a melody that will not fall silent.
    if (waited.elapsed() > kStopWaitMs) return;
    QThread::msleep(50);
  }
  EndPlayback();
  focus_ = Button(IDM_PLAY);
}

void CSetoraWindow::EndPlayback() {
  playTimer_.stop();
  playing_ = false;
  playingIndex_ = -1;
  for (int id : {IDM_NEW, IDM_OPEN, IDM_ADD_MELODY}) states_.SetState(id, true);
  states_.SetState(IDM_STOP, false);
  ApplySelectionRules();
}

void CSetoraWindow::Help() {
  HtmlHelpU::DisplayTopic(this, HtmlHelpU::Address(paths_.ProgramDir(), QString::fromUtf8(kHelpTopic)));
}

void CSetoraWindow::About() {
  CAboutDialog dialog(this);
  dialogs_.Exec(dialog);
}
