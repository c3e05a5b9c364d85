#include "CImportProgressDialog.h"

#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "DocMessages.h"
#include "NotaraStrings.h"
#include "UserDialogs.h"
#include "common/RequestThread.h"

// Runs on the reader's thread: notes go to the document thread, progress to
// the dialog's thread. Posts to the dialog are dropped once it is gone.
class CImportProgressDialog::DocSink : public IMidiSink {
 public:
  DocSink(const MelodyDocClient& doc, CImportProgressDialog* dialog) : doc_(doc), dialog_(dialog) {}

  void OnHeader(WORD, WORD tracks, WORD) override {
    QMetaObject::invokeMethod(
        dialog_, [dialog = dialog_, tracks] { dialog->progress_->setRange(0, tracks); }, Qt::QueuedConnection);
  }
  void OnTrack(WORD index) override {
    QMetaObject::invokeMethod(
        dialog_, [dialog = dialog_, index] { dialog->progress_->setValue(index + 1); }, Qt::QueuedConnection);
  }
  bool AddNote(const ImportedNote& note) override {
    const ChannelNoteBlock block{note.pitch, note.duration, note.flags, note.channel};
    return doc_.AddChannelNote(block);
  }
  LONG MelodyCount() override {
    LONG count = 0;
    if (!doc_.ChannelCount(count)) return 0;
    return count;
  }

 private:
  MelodyDocClient doc_;
  CImportProgressDialog* dialog_;
};

CImportProgressDialog::CImportProgressDialog(nv::RequestThread& doc, UserDialogs& dialogs, const QString& midiPath,
                                             QWidget* parent)
    : QDialog(parent), doc_(doc), dialogs_(dialogs), path_(midiPath) {
  setObjectName(QStringLiteral("ImportProgress"));
  setWindowTitle(QStringLiteral("Импорт MIDI"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Импорт MIDI"), this));
  layout->addWidget(new QLabel(QStringLiteral("Пожалуйста подождите ..."), this));
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("ctl1201"));
  progress_->setRange(0, 1);
  progress_->setValue(0);
  progress_->setMinimumWidth(260);
  layout->addWidget(progress_);

  doc_.Run(DOCM_CH_CLEAR);
  startTimer_.setSingleShot(true);
  startTimer_.setInterval(kStartDelayMs);
  connect(&startTimer_, &QTimer::timeout, this, &CImportProgressDialog::StartReading);
  startTimer_.start();
}

CImportProgressDialog::~CImportProgressDialog() {
  if (reader_.joinable()) reader_.join();
}

void CImportProgressDialog::StartReading() {
  reading_ = true;
  const std::string path = QFile::encodeName(path_).toStdString();
  reader_ = std::thread([this, path] {
    DocSink sink(doc_, this);
    MidiReader reader(sink);
    const MidiError error = reader.ReadFile(path);
    QMetaObject::invokeMethod(
        this, [this, error] { Finish(error); }, Qt::QueuedConnection);
  });
}

void CImportProgressDialog::Finish(MidiError error) {
  if (reader_.joinable()) reader_.join();
  reading_ = false;
  error_ = error;
  if (error != MidiError::None) {
    dialogs_.MessageBox(this, QString::fromStdU16String(MidiReader::ErrorText(error)),
                        NotaraStrings::Text(IDS_APP_TITLE), MB_OK | MB_ICONERROR);
    done(QDialog::Rejected);
    return;
  }
  done(QDialog::Accepted);
}

void CImportProgressDialog::reject() {
  // Escape and the close box wait for the reader, whose result ends the dialog.
  if (reading_ || startTimer_.isActive()) return;
  QDialog::reject();
}

void CImportProgressDialog::closeEvent(QCloseEvent* event) {
  if (reading_ || startTimer_.isActive()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}
