#include "CMainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenuBar>
#include <QStatusTipEvent>
#include <QThread>
#include <array>
#include <cmath>

#include "CAppSetting.h"
#include "CBellView.h"
#include "CColoursDialog.h"
#include "CDocumentFlows.h"
#include "CNameDialog.h"
#include "CStatusBarU.h"
#include "CToolBarU.h"
#include "CWaitCursorU.h"
#include "CZoomDialog.h"
#include "DocMessages.h"
#include "MenuTableU.h"
#include "MusicFont.h"
#include "NameFont.h"
#include "NotaraCommands.h"
#include "NotaraMenus.h"
#include "NotaraStrings.h"
#include "SoundNotice.h"
#include "UserDialogs.h"
#include "common/CStringU.h"
#include "common/RequestThread.h"

// The icons live in the editor's library; a static library's resources must
// be registered by hand.
static void InitResources() {
  Q_INIT_RESOURCE(notara);
}

namespace {

const char* const kNoteNames[12] = {"Соль#", "Ля", "Ля#", "Си", "До", "До#", "Ре", "Ре#", "Ми", "Фа", "Фа#", "Соль"};
const char* const kDurations[5] = {"1", "1/2", "1/4", "1/8", "1/16"};

}  // namespace

CMainWindow::CMainWindow(nv::RequestThread& doc, CAppSetting& settings, CAppPathU& paths, UserDialogs& dialogs)
    : doc_(doc),
      settings_(settings),
      paths_(paths),
      dialogs_(dialogs),
      rows_(NotaraMenus::CommandStates()),
      states_(rows_.data()) {
  InitResources();
  setObjectName(QStringLiteral("MAIN_WIN_UFC"));
  setWindowTitle(NotaraStrings::Text(IDS_APP_TITLE));
  setWindowIcon(QIcon(QStringLiteral(":/notara/icons/notara.svg")));

  BuildMenu();
  BindCommands();
  toolBar_ = std::make_unique<CToolBarU>(this, states_, NotaraMenus::ToolBarImages());
  for (auto& [id, action] : actions_) action->setToolTip(NotaraStrings::ToolTip(id));
  statusBar_ = std::make_unique<CStatusBarU>(
      this, std::vector<CStatusBarU::Field>{{IDS_PART_COUNT, QStringLiteral(" 1000000 н. ")},
                                            {IDS_PART_NAME, QStringLiteral("  Соль#  ")},
                                            {IDS_PART_DURATION, QStringLiteral("  1/16  ")}});
  statusBar_->SetHelpText(NotaraStrings::Text(IDS_READY));
  flows_ = std::make_unique<CDocumentFlows>(doc_.Thread(), paths_, dialogs_, this, [this] {
    if (view_ == nullptr) return;
    view_->ResetScroll();
    view_->Relayout(false);
  });

  const WindowPlacement placement = settings_.Placement();
  setGeometry(placement.left, placement.top, placement.right - placement.left, placement.bottom - placement.top);
}

CMainWindow::~CMainWindow() = default;

void CMainWindow::BuildMenu() {
  actions_ = BuildMenuBarU(menuBar(), this, NotaraMenus::MenuBar(), [this](int id) { RunCommand(id); });
  for (const auto& [id, action] : actions_) action->setStatusTip(NotaraStrings::StatusHelp(id));
  QAction* sound = actions_.at(IDM_SOUND_ON_EDIT);
  sound->setCheckable(true);
  sound->setChecked(true);
}

void CMainWindow::BindCommands() {
  for (auto& [id, action] : actions_) states_.BindAction(id, action);

  handlers_[IDM_NEW] = [this] { flows_->New(); };
  handlers_[IDM_OPEN] = [this] { flows_->Open(); };
  handlers_[IDM_SAVE] = [this] { flows_->Save(); };
  handlers_[IDM_SAVE_AS] = [this] { flows_->SaveAs(); };
  handlers_[IDM_EXIT] = [this] { close(); };
  handlers_[IDM_UNDO] = [this] { SendAndRelayout(DOCM_UNDO, false); };
  handlers_[IDM_NEXT_NOTE] = [this] { SendAndRelayout(DOCM_NEXT_NOTE, true); };
  handlers_[IDM_PREV_NOTE] = [this] { SendAndRelayout(DOCM_PREV_NOTE, true); };
  handlers_[IDM_INSERT_NOTE] = [this] { SendAndRelayout(DOCM_INSERT_NOTE, false); };
  handlers_[IDM_INSERT_REST] = [this] { SendAndRelayout(DOCM_INSERT_REST, false); };
  handlers_[IDM_DELETE] = [this] { SendAndRelayout(DOCM_DELETE, false); };
  handlers_[IDM_PITCH_UP] = [this] { SendAndRelayout(DOCM_PITCH_UP, true); };
  handlers_[IDM_PITCH_DOWN] = [this] { SendAndRelayout(DOCM_PITCH_DOWN, true); };
  handlers_[IDM_LENGTHEN] = [this] { SendAndRelayout(DOCM_LENGTHEN, false); };
  handlers_[IDM_SHORTEN] = [this] { SendAndRelayout(DOCM_SHORTEN, false); };
  handlers_[IDM_NAME] = [this] { EditName(); };
  handlers_[IDM_ZOOM_IN] = [this] { ZoomIn(); };
  handlers_[IDM_ZOOM_OUT] = [this] { ZoomOut(); };
  handlers_[IDM_ZOOM_FACTOR] = [this] { EditZoomFactor(); };
  handlers_[IDM_COLOURS] = [this] { EditColours(); };
  handlers_[IDM_FONT] = [this] { EditFont(); };
  handlers_[IDM_PLAY] = [this] { doc_.Run(DOCM_PLAY); };
  handlers_[IDM_STOP] = [this] { Stop(); };
  // The check mark follows the setting in RefreshCommandStates.
  handlers_[IDM_SOUND_ON_EDIT] = [this] { settings_.SetSoundOnEdit(!settings_.SoundOnEdit()); };
}

void CMainWindow::SetCommandHandler(int id, std::function<void()> handler) {
  handlers_[id] = std::move(handler);
}

QAction* CMainWindow::Action(int id) const {
  const auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

bool CMainWindow::CreateView() {
  view_ = new CBellView(doc_.Thread(), settings_, this);
  setCentralWidget(view_);
  connect(view_, &CBellView::StatesChanged, this, &CMainWindow::RefreshCommandStates);
  view_->setFocus(Qt::OtherFocusReason);
  return view_->InitView();
}

void CMainWindow::ShowAsPlaced() {
  // The document has made its sample by now, so a silent fallback is known.
  QStringList notices{SoundNotice::Text(), MusicFont::Notice()};
  notices.removeAll(QString());
  if (!notices.isEmpty()) statusBar_->SetHelpText(notices.join(QStringLiteral("; ")));
  const WindowPlacement placement = settings_.Placement();
  if (placement.maximized != 0) {
    showMaximized();
  } else if (placement.minimized != 0) {
    showMinimized();
  } else {
    show();
  }
  RefreshCommandStates();
}

void CMainWindow::RunCommand(int id) {
  // A disabled command can still arrive through a queued trigger.
  if (!states_.IsEnabled(id)) return;
  const auto it = handlers_.find(id);
  if (it != handlers_.end() && it->second) it->second();
  if (!closing_) RefreshCommandStates();
}

void CMainWindow::SendAndRelayout(DocMessage request, bool sound) {
  if (!doc_.Run(request)) return;
  if (view_ != nullptr) view_->Relayout(true);
  if (sound && settings_.SoundOnEdit()) doc_.Run(DOCM_SOUND_NOTE);
}

void CMainWindow::RefreshCommandStates() {
  const LONG current = doc_.Current();
  const LONG count = doc_.Count();
  const bool playing = doc_.IsPlaying();
  const bool undoEmpty = doc_.IsUndoEmpty();
  const ULONG zoom = settings_.Zoom();
  actions_.at(IDM_SOUND_ON_EDIT)->setChecked(settings_.SoundOnEdit());

  statusBar_->SetText(IDS_PART_COUNT, QStringLiteral("\t\t%1 н.").arg(count));
  if (current < 0) {
    statusBar_->SetText(IDS_PART_NAME, QString());
    statusBar_->SetText(IDS_PART_DURATION, QString());
  } else {
    const SHORT pitch = doc_.Pitch();
    const SHORT duration = doc_.Duration();
    const SHORT flags = doc_.Flags();
    const QString name = (flags & 0x04) != 0
                             ? QStringLiteral("Пауза")
                             : QString::fromUtf8(kNoteNames[static_cast<unsigned>(static_cast<USHORT>(pitch)) % 12]);
    statusBar_->SetText(IDS_PART_NAME, QStringLiteral("\t\t") + name);
    QString length = duration >= 0 && duration <= 4 ? QString::fromUtf8(kDurations[duration]) : QStringLiteral("?");
    if ((flags & 0x08) != 0) length += QStringLiteral(" Т");
    statusBar_->SetText(IDS_PART_DURATION, QStringLiteral("\t\t") + length);
  }

  const bool idle = !playing;
  const bool hasNotes = count > 0;
  for (int id : {IDM_NEW, IDM_OPEN, IDM_IMPORT_MIDI, IDM_IMPORT_RINGTONE, IDM_INSERT_NOTE, IDM_INSERT_REST}) {
    states_.SetState(id, idle);
  }
  states_.SetState(IDM_UNDO, idle && !undoEmpty);
  for (int id : {IDM_NEXT_NOTE, IDM_PREV_NOTE, IDM_PLAY, IDM_TRANSPOSE}) states_.SetState(id, idle && hasNotes);
  for (int id : {IDM_DELETE, IDM_PITCH_UP, IDM_PITCH_DOWN, IDM_LENGTHEN, IDM_SHORTEN}) {
    states_.SetState(id, idle && hasNotes && current >= 0);
  }
  states_.SetState(IDM_ZOOM_IN, zoom < CAppSetting::kMaxZoom);
  states_.SetState(IDM_ZOOM_OUT, zoom > CAppSetting::kMinZoom);
  states_.SetState(IDM_STOP, !idle);
  states_.ApplyToMenu();
  states_.ApplyToToolBar();
}

void CMainWindow::ApplyZoom(ULONG zoom) {
  CWaitCursorU wait;
  settings_.SetZoom(zoom);
  if (view_ == nullptr) return;
  view_->BuildImages();
  view_->Relayout(false);
}

void CMainWindow::ZoomIn() {
  const double next = std::ceil(settings_.ZoomFactor() * settings_.Zoom() - 0.5);
  ApplyZoom(static_cast<ULONG>(std::min(next, static_cast<double>(CAppSetting::kMaxZoom))));
}

void CMainWindow::ZoomOut() {
  const double next = std::ceil(settings_.Zoom() / settings_.ZoomFactor() - 0.5);
  ApplyZoom(static_cast<ULONG>(std::max(next, static_cast<double>(CAppSetting::kMinZoom))));
}

void CMainWindow::Stop() {
  doc_.Run(DOCM_STOP);
  CWaitCursorU wait;
  QElapsedTimer waited;
  waited.start();
  while (doc_.IsPlaying()) {
    // A stalled sound device must not freeze the window: the view keeps
    // watching the melody and refreshes the commands once it falls silent.
    if (waited.elapsed() > kStopWaitMs) {
      if (view_ != nullptr) view_->WatchPlayback();
      break;
    }
    QThread::msleep(50);
  }
}

void CMainWindow::EditName() {
  const CStringU name = doc_.Name();
  CNameDialog dialog(QString::fromStdU16String(std::u16string(name.View())), this);
  if (dialogs_.Exec(dialog) == QDialog::Accepted) {
    const CStringU renamed(dialog.Name().left(255).toStdU16String());
    doc_.Rename(renamed);
  }
  if (view_ != nullptr) view_->Relayout(false);
}

void CMainWindow::EditZoomFactor() {
  CZoomDialog dialog(settings_.ZoomFactor(), dialogs_, this);
  if (dialogs_.Exec(dialog) == QDialog::Accepted) settings_.SetZoomFactor(dialog.Factor());
}

void CMainWindow::EditColours() {
  CColoursDialog dialog(settings_.GetColours(), dialogs_, this);
  dialog.SetApply([this](const Colours& colours) {
    CWaitCursorU wait;
    settings_.SetColours(colours);
    if (view_ == nullptr) return;
    view_->BuildImages();
    view_->viewport()->update();
  });
  if (dialogs_.Exec(dialog) != QDialog::Accepted) return;
  settings_.SetColours(dialog.GetColours());
  CWaitCursorU wait;
  if (view_ == nullptr) return;
  view_->BuildImages();
  view_->Relayout(false);
}

void CMainWindow::EditFont() {
  QFont font = NameFont::ToQFont(settings_.NameFont());
  if (!dialogs_.ChooseFont(this, font)) return;
  settings_.SetNameFont(NameFont::FromQFont(font, settings_.NameFont()));
  if (view_ != nullptr) view_->Relayout(false);
}

void CMainWindow::StorePlacement() {
  const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
  WindowPlacement placement{
      normal.left(),         normal.top(),         normal.left() + normal.width(), normal.top() + normal.height(),
      isMinimized() ? 1 : 0, isMaximized() ? 1 : 0};
  settings_.SetPlacement(placement);
}

void CMainWindow::closeEvent(QCloseEvent* event) {
  if (!flows_->ConfirmDiscard()) {
    event->ignore();
    return;
  }
  StorePlacement();
  closing_ = true;
  event->accept();
}

void CMainWindow::keyPressEvent(QKeyEvent* event) {
  // Reached by every key the focused widget leaves alone, as the keypad keys.
  const bool keypad = event->modifiers() == Qt::KeypadModifier;
  if (keypad && (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Minus)) {
    RunCommand(event->key() == Qt::Key_Plus ? IDM_ZOOM_IN : IDM_ZOOM_OUT);
    return;
  }
  QMainWindow::keyPressEvent(event);
}

bool CMainWindow::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
    statusBar_->SetHelpText(tip.isEmpty() ? NotaraStrings::Text(IDS_READY) : tip);
    return true;
  }
  return QMainWindow::event(event);
}
