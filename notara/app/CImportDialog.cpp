#include "CImportDialog.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QThread>
#include <QVBoxLayout>

#include "CCommandStatesU.h"
#include "CWaitCursorU.h"
#include "DocMessages.h"
#include "HtmlHelpU.h"
#include "NotaraStrings.h"
#include "UserDialogs.h"
#include "common/CStringU.h"
#include "common/RequestThread.h"

namespace {

int Tenth(int count) {
  return (count + 9) / 10;
}

}  // namespace

CImportDialog::CImportDialog(nv::RequestThread& doc, UserDialogs& dialogs, const QString& midiPath,
                             const std::string& programDir, QWidget* parent)
    : QDialog(parent), doc_(doc), dialogs_(dialogs), path_(midiPath), programDir_(programDir) {
  setObjectName(QStringLiteral("ImportDialog"));
  setWindowTitle(QStringLiteral("Загрузка мелодии из MIDI файла"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, true);

  auto tag = [this](QWidget* control, int id) {
    control->setObjectName(QStringLiteral("ctl%1").arg(id));
    CCommandStatesU::SetControlId(control, id);
    control->installEventFilter(this);
  };
  auto makeSlider = [&](int id) {
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setSingleStep(1);
    tag(slider, id);
    connect(slider, &QSlider::actionTriggered, this, [this, slider](int action) { OnSliderAction(slider, action); });
    return slider;
  };
  auto makeButton = [&](int id, QStyle::StandardPixmap icon, const QString& tip) {
    auto* button = new QPushButton(this);
    button->setIcon(style()->standardIcon(icon));
    button->setToolTip(tip);
    button->setAutoDefault(false);
    tag(button, id);
    return button;
  };

  start_ = makeSlider(IDC_START);
  position_ = makeSlider(IDC_POSITION);
  position_->setTickPosition(QSlider::TicksBelow);
  end_ = makeSlider(IDC_END);
  connect(position_, &QSlider::sliderReleased, this, &CImportDialog::OnPositionMoveEnded);

  play_ = makeButton(IDC_PLAY, QStyle::SP_MediaPlay, QStringLiteral("Проиграть"));
  stop_ = makeButton(IDC_STOP, QStyle::SP_MediaStop, QStringLiteral("Остановить"));
  next_ = makeButton(IDC_NEXT, QStyle::SP_MediaSkipForward, QStringLiteral("Следующая мелодия"));
  previous_ = makeButton(IDC_PREVIOUS, QStyle::SP_MediaSkipBackward, QStringLiteral("Предыдущая мелодия"));
  connect(play_, &QPushButton::clicked, this, &CImportDialog::Play);
  connect(stop_, &QPushButton::clicked, this, &CImportDialog::StopPlayback);
  connect(next_, &QPushButton::clicked, this, &CImportDialog::NextMelody);
  connect(previous_, &QPushButton::clicked, this, &CImportDialog::PreviousMelody);

  take_ = new QPushButton(QStringLiteral("Редактор"), this);
  take_->setDefault(true);
  tag(take_, IDC_TAKE);
  cancel_ = new QPushButton(QStringLiteral("Отмена"), this);
  tag(cancel_, IDC_CANCEL);
  connect(take_, &QPushButton::clicked, this, &CImportDialog::TakeFragment);
  connect(cancel_, &QPushButton::clicked, this, &CImportDialog::reject);

  found_ = new QLabel(this);
  current_ = new QLabel(this);
  size_ = new QLabel(this);
  tag(found_, IDC_FOUND);
  tag(current_, IDC_CURRENT);
  tag(size_, IDC_SIZE);

  auto* group = new QGroupBox(QStringLiteral("Выбор фрагмента мелодии"), this);
  tag(group, IDC_GROUP);
  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel(QStringLiteral("Начало"), group), 0, 0);
  grid->addWidget(start_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Позиция"), group), 1, 0);
  grid->addWidget(position_, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("Конец"), group), 2, 0);
  grid->addWidget(end_, 2, 1);
  auto* transport = new QHBoxLayout;
  for (QPushButton* button : {previous_, play_, stop_, next_}) transport->addWidget(button);
  transport->addStretch(1);
  grid->addLayout(transport, 3, 0, 1, 2);
  auto* sizeRow = new QHBoxLayout;
  sizeRow->addWidget(new QLabel(QStringLiteral("Количество нот во фрагменте"), group));
  sizeRow->addWidget(size_);
  sizeRow->addStretch(1);
  grid->addLayout(sizeRow, 4, 0, 1, 2);

  auto* counters = new QGridLayout;
  counters->addWidget(new QLabel(QStringLiteral("Найдено мелодий"), this), 0, 0);
  counters->addWidget(found_, 0, 1);
  counters->addWidget(new QLabel(QStringLiteral("Текущая мелодия"), this), 1, 0);
  counters->addWidget(current_, 1, 1);
  counters->setColumnStretch(2, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(take_);
  buttons->addWidget(cancel_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(counters);
  layout->addWidget(group);
  layout->addLayout(buttons);
  setMinimumWidth(380);

  timer_.setInterval(kPollMs);
  connect(&timer_, &QTimer::timeout, this, &CImportDialog::OnTimer);

  stop_->setEnabled(false);
  LONG count = 0;
  doc_.ChannelCount(count);
  melodyCount_ = static_cast<int>(count);
  found_->setText(QString::number(melodyCount_));
  LoadMelody(1);
}

CImportDialog::~CImportDialog() {
  timer_.stop();
  doc_.Run(DOCM_CH_CLEAR);
}

QString CImportDialog::FragmentName() const {
  return QFileInfo(path_).completeBaseName();
}

QSlider* CImportDialog::Slider(int id) const {
  switch (id) {
    case IDC_START:
      return start_;
    case IDC_POSITION:
      return position_;
    case IDC_END:
      return end_;
    default:
      return nullptr;
  }
}

QWidget* CImportDialog::Control(int id) const {
  return findChild<QWidget*>(QStringLiteral("ctl%1").arg(id));
}

bool CImportDialog::IsPlaying() const {
  return doc_.IsChannelPlaying(Index());
}

void CImportDialog::WaitStopped() {
  CWaitCursorU wait;
  QElapsedTimer waited;
  waited.start();
  while (IsPlaying() && waited.elapsed() < kStopWaitMs) QThread::msleep(kStopPollMs);
}

void CImportDialog::LoadMelody(int number) {
  currentMelody_ = number;
  const int n = static_cast<int>(doc_.ChannelNoteCount(Index()));
  for (QSlider* slider : {start_, position_, end_}) {
    slider->setRange(0, n);
    slider->setPageStep(Tenth(n));
  }
  position_->setTickInterval(Tenth(n));
  start_->setValue(0);
  position_->setValue(0);
  end_->setValue(n);
  current_->setText(QString::number(number));
  ShowFragmentSize();
}

void CImportDialog::ShowFragmentSize() {
  size_->setText(QString::number(end_->sliderPosition() - start_->sliderPosition()));
}

// Runs after the slider moved its thumb and before the value is taken, so
// sliderPosition() is the new place and setting it corrects the move.
void CImportDialog::OnSliderAction(QSlider* slider, int action) {
  const int position = position_->sliderPosition();
  if (slider == start_) {
    if (start_->sliderPosition() > position) start_->setSliderPosition(position);
    ShowFragmentSize();
    return;
  }
  if (slider == end_) {
    if (end_->sliderPosition() < position) end_->setSliderPosition(position);
    ShowFragmentSize();
    if (IsPlaying()) {
      const ChannelBlockBlock block{Index(), start_->sliderPosition(), end_->sliderPosition()};
      doc_.SetChannelBlock(block);
    }
    return;
  }

  if (IsPlaying()) {
    resumeAfterDrag_ = true;
    // The watch would put the thumb back where playback stopped; playing
    // again from the new place restarts it.
    timer_.stop();
    doc_.StopChannel(Index());
    WaitStopped();
  }
  const int start = start_->sliderPosition();
  const int end = end_->sliderPosition();
  if (start == end) {
    position_->setSliderPosition(start);
  } else if (position < start) {
    position_->setSliderPosition(start);
  } else if (position > end) {
    position_->setSliderPosition(end);
  }
  // Keys, clicks beside the thumb and the wheel end their move at once; a
  // drag ends when the thumb is let go.
  if (action != QAbstractSlider::SliderMove || !position_->isSliderDown()) {
    QMetaObject::invokeMethod(this, &CImportDialog::OnPositionMoveEnded, Qt::QueuedConnection);
  }
}

void CImportDialog::OnPositionMoveEnded() {
  if (!resumeAfterDrag_) return;
  resumeAfterDrag_ = false;
  Play();
}

void CImportDialog::Play() {
  if (IsPlaying()) {
    dialogs_.MessageBox(this, QStringLiteral("Мелодия уже воспроизводится"), NotaraStrings::Text(IDS_APP_TITLE),
                        MB_OK | MB_ICONWARNING);
    return;
  }
  const LONG position = position_->sliderPosition();
  const ChannelBlockBlock block{Index(), position, end_->sliderPosition()};
  doc_.SetChannelBlock(block);
  const ChannelCurrentBlock current{Index(), position};
  doc_.SetChannelCurrent(current);
  doc_.PlayChannel(Index());
  play_->setEnabled(false);
  playedMelody_ = currentMelody_;
  timer_.start();
}

void CImportDialog::OnTimer() {
  const bool played = currentMelody_ == playedMelody_;
  if (IsPlaying()) {
    stop_->setEnabled(true);
    if (played) {
      LONG note = 0;
      if (doc_.ChannelCurrent(Index(), note) && note >= 0) {
        position_->setValue(static_cast<int>(note));
      }
    }
    return;
  }
  play_->setEnabled(true);
  stop_->setEnabled(false);
  timer_.stop();
  if (played) {
    LONG note = -1;
    doc_.ChannelCurrent(Index(), note);
    position_->setValue(note < 0 ? position_->maximum() : static_cast<int>(note));
  }
  if (replayAfterSwitch_) {
    replayAfterSwitch_ = false;
    Play();
  }
}

void CImportDialog::StopPlayback() {
  doc_.StopChannel(Index());
  WaitStopped();
}

void CImportDialog::NextMelody() {
  if (melodyCount_ <= 0) return;
  if (IsPlaying()) {
    replayAfterSwitch_ = true;
    StopPlayback();
  }
  LoadMelody(currentMelody_ >= melodyCount_ ? 1 : currentMelody_ + 1);
}

void CImportDialog::PreviousMelody() {
  if (melodyCount_ <= 0) return;
  if (IsPlaying()) {
    replayAfterSwitch_ = true;
    StopPlayback();
  }
  LoadMelody(currentMelody_ <= 1 ? melodyCount_ : currentMelody_ - 1);
}

void CImportDialog::TakeFragment() {
  if (IsPlaying()) StopPlayback();
  const CStringU name(FragmentName().toStdU16String());
  const ChannelTakeBlock block{Index(), start_->value(), end_->value(), &name};
  taken_ = doc_.TakeChannel(block);
  QDialog::reject();
}

void CImportDialog::reject() {
  // The channel melodies go with the dialog; none may still be sounding then.
  timer_.stop();
  if (IsPlaying()) StopPlayback();
  QDialog::reject();
}

void CImportDialog::ShowContextHelp(QWidget* control, const QPoint& at) {
  const LONG id = control != nullptr ? CCommandStatesU::ControlId(control) : 0;
  const bool described = id == IDC_TAKE || (id >= IDC_START && id <= IDC_PREVIOUS);
  HtmlHelpU::DisplayTextPopup(this, HtmlHelpU::Address(programDir_, QStringLiteral("CSH_ImportDlg.txt")),
                              described ? static_cast<int>(id) : 0, at);
}

bool CImportDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::QueryWhatsThis) return true;
  if (event->type() == QEvent::WhatsThis) {
    ShowContextHelp(qobject_cast<QWidget*>(watched), static_cast<QHelpEvent*>(event)->globalPos());
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void CImportDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    ShowContextHelp(focusWidget(), QCursor::pos());
    return;
  }
  QDialog::keyPressEvent(event);
}
