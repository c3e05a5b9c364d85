#include "CSetoraWindow.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
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
#include "MenuTableU.h"
#include "SetCommandRules.h"
#include "SetoraIds.h"
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

std::vector<MenuPopupU> MenuBar() {
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

QString FromCString(const CStringU& text) {
  return QString::fromStdU16String(std::u16string(text.View()));
}

}  // namespace

CSetoraWindow::CSetoraWindow(CSetoraDocThread& doc, CAppPathU& paths, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent),
      doc_(doc.Thread()),
      paths_(paths),
      dialogs_(dialogs),
      ui_(paths, dialogs, this),
      commands_(doc_, paths, ui_),
      playback_(doc_),
      rows_(kCommandStates),
      states_(rows_.data()) {
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
      {IDM_NEW, [this] { Apply(commands_.New()); }},
      {IDM_OPEN, [this] { Apply(commands_.Open()); }},
      {IDM_SAVE, [this] { commands_.Save(); }},
      {IDM_SAVE_AS, [this] { commands_.SaveAs(); }},
      {IDM_SAVE_MELODY, [this] { commands_.SaveMelody(list_->SelectedRows()); }},
      {IDM_EXIT, [this] { Exit(); }},
      {IDM_ADD_MELODY, [this] { Apply(commands_.AddMelodies(list_->count())); }},
      {IDM_DELETE_MELODY, [this] { DeleteMelodies(); }},
      {IDM_MELODY_UP, [this] { Apply(commands_.MoveMelody(list_->SelectedRows(), list_->count(), true)); }},
      {IDM_MELODY_DOWN, [this] { Apply(commands_.MoveMelody(list_->SelectedRows(), list_->count(), false)); }},
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
  actions_ = BuildMenuBarU(bar, this, MenuBar(), [this](int id) { RunCommand(id); });
  for (const auto& [id, action] : actions_) states_.BindAction(id, action);
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

void CSetoraWindow::UpdateTitle() {
  const QString name = QFileInfo(QString::fromStdString(doc_.Path())).fileName();
  setWindowTitle(QStringLiteral("%1 - %2%3").arg(SetoraStrings::Title(), name,
                                                 doc_.IsModified() ? QStringLiteral(" *") : QString()));
}

void CSetoraWindow::UpdateSizes() {
  setSize_->SetValue(list_->SetSize());
  blockSize_->SetValue(list_->BlockSize());
}

void CSetoraWindow::ApplySelectionRules() {
  for (const SetCommandState& state : SetCommandRules::States(list_->SelectedRows(), list_->count(), IsPlaying())) {
    states_.SetState(state.id, state.enabled);
  }
}

void CSetoraWindow::OnSelectionChanged() {
  // Playback belongs to the melody that was selected when it started.
  if (IsPlaying()) Stop();
  ApplySelectionRules();
  Refresh(nullptr);
}

// --- The list -----------------------------------------------------------

void CSetoraWindow::LoadMelody(int row, bool append) {
  const QString name = FromCString(doc_.Name(row));
  const LONG notes = doc_.NoteCount(row);
  const QSignalBlocker block(list_);
  if (append) {
    list_->Append(name, notes);
  } else {
    list_->Replace(row, name, notes);
  }
}

void CSetoraWindow::OpenStartupFile(const QString& path) {
  Apply(commands_.OpenPath(QFile::encodeName(path).toStdString()));
  Refresh(focus_);
}

void CSetoraWindow::Apply(const SetListChange& change) {
  {
    const QSignalBlocker block(list_);
    if (change.rebuild) {
      list_->clear();
      const LONG count = doc_.Count();
      for (LONG row = 0; row < count; ++row) LoadMelody(row, true);
    }
    for (int row : change.removed) delete list_->takeItem(row);
    if (!change.removed.empty()) list_->RenumberFrom(change.removed.back());
  }
  for (int row : change.reloaded) LoadMelody(row, false);
  for (int i = 0; i < change.appended; ++i) LoadMelody(list_->count(), true);
  if (change.select >= 0 && change.select < list_->count()) list_->SelectOnly(change.select);
  if (change.scrollToTop) list_->scrollToTop();
  ApplySelectionRules();
  switch (change.focus) {
    case SetListChange::Focus::kKeep:
      break;
    case SetListChange::Focus::kList:
      focus_ = list_;
      break;
    case SetListChange::Focus::kAddButton:
      focus_ = Button(IDM_ADD_MELODY);
      break;
  }
}

// --- Commands -----------------------------------------------------------

void CSetoraWindow::Exit() {
  if (!commands_.ConfirmDiscard()) return;
  if (IsPlaying()) Stop();
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

void CSetoraWindow::DeleteMelodies() {
  std::vector<int> rows;
  try {
    rows = list_->SelectedRows();
  } catch (const std::bad_alloc&) {
    ui_.ShowError(nv::Utf8ToWide(SetoraStrings::kNoMemory));
    return;
  }
  Apply(commands_.DeleteMelodies(rows, list_->count()));
}

void CSetoraWindow::Play() {
  const std::vector<int> rows = list_->SelectedRows();
  if (rows.size() != 1) return;
  CStringU error;
  if (!playback_.Start(rows.front(), error)) {
    if (!error.IsEmpty()) ui_.ShowError(std::u16string(error.View()));
    return;
  }
  playTimer_.start();
  ApplySelectionRules();
  focus_ = Button(IDM_STOP);
}

void CSetoraWindow::PollPlayback() {
  if (!playback_.Poll()) return;
  // The Stop button goes grey; the focus moves to Play rather than nowhere.
  const bool onStop = Button(IDM_STOP)->hasFocus();
  EndPlayback();
  Refresh(onStop ? Button(IDM_PLAY) : nullptr);
}

void CSetoraWindow::Stop() {
  if (!IsPlaying()) return;
  bool stopped = false;
  {
    CWaitCursorU wait;
    stopped = playback_.Stop();
  }
  // The playback timer keeps watching a melody that will not fall silent.
  if (!stopped) return;
  EndPlayback();
  focus_ = Button(IDM_PLAY);
}

void CSetoraWindow::EndPlayback() {
  playTimer_.stop();
  ApplySelectionRules();
}

void CSetoraWindow::Help() {
  HtmlHelpU::DisplayTopic(this, HtmlHelpU::Address(paths_.ProgramDir(), QString::fromUtf8(kHelpTopic)));
}

void CSetoraWindow::About() {
  CAboutDialog dialog(this);
  dialogs_.Exec(dialog);
}
