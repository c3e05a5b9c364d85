#include "HtmlHelpU.h"

#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QStringList>

#include "CChmFileU.h"
#include "CHelpWindowU.h"

namespace {

// The one help window of the process; it goes with its owner.
QPointer<CHelpWindowU>& HelpWindow() {
  static QPointer<CHelpWindowU> window;
  return window;
}

QString ReadPopupFile(const QString& address) {
  QString file;
  QString object;
  if (!HtmlHelpU::SplitAddress(address, file, object)) return {};
  const CChmFileU chm(QFile::encodeName(file).toStdString());
  std::string bytes;
  if (!chm.Read(object.toStdString(), bytes)) return {};
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

QString HtmlHelpU::Address(const std::string& programDir, const QString& topic) {
  return QFile::decodeName(QByteArray::fromStdString(programDir)) + QLatin1String(kHelpFile) + QStringLiteral("::/") +
         topic;
}

bool HtmlHelpU::SplitAddress(const QString& address, QString& file, QString& object) {
  const qsizetype at = address.lastIndexOf(QStringLiteral("::"));
  if (at <= 0) return false;
  file = address.left(at);
  object = address.mid(at + 2);
  if (object.isEmpty() || object == QStringLiteral("/")) return false;
  if (!object.startsWith('/')) object.prepend('/');
  return true;
}

CHelpWindowU* HtmlHelpU::DisplayTopic(QWidget* owner, const QString& address) {
  QString file;
  QString object;
  if (!SplitAddress(address, file, object)) return nullptr;
  QPointer<CHelpWindowU>& window = HelpWindow();
  const bool made = window.isNull();
  if (made) window = new CHelpWindowU(owner != nullptr ? owner->window() : nullptr);
  if (!window->ShowTopic(file, object)) {
    if (made) delete window.data();
    return nullptr;
  }
  window->show();
  window->raise();
  window->activateWindow();
  return window.data();
}

std::optional<QString> HtmlHelpU::PopupText(const QString& fileText, int topic) {
  QStringList lines = fileText.split('\n');
  bool inTopic = false;
  QStringList text;
  for (QString line : lines) {
    if (line.endsWith('\r')) line.chop(1);
    if (line.startsWith(QStringLiteral(".topic"))) {
      if (inTopic) break;
      bool number = false;
      const int id = line.mid(6).trimmed().toInt(&number);
      inTopic = number && id == topic && line.size() > 6 && line.at(6).isSpace();
      continue;
    }
    if (inTopic) text << line;
  }
  if (!inTopic) return std::nullopt;
  return text.join('\n').trimmed();
}

QLabel* HtmlHelpU::DisplayTextPopup(QWidget* owner, const QString& address, int topic, const QPoint& at) {
  const std::optional<QString> text = PopupText(ReadPopupFile(address), topic);
  auto* popup = new QLabel(owner, Qt::Popup);
  popup->setObjectName(QStringLiteral("HelpPopup"));
  popup->setAttribute(Qt::WA_DeleteOnClose);
  popup->setFrameStyle(QFrame::Box | QFrame::Plain);
  popup->setWordWrap(true);
  popup->setMargin(6);
  popup->setTextFormat(Qt::PlainText);
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSize(8);
  popup->setFont(font);
  popup->setText(text && !text->isEmpty() ? *text : QString::fromUtf8(kNoTopicText));
  popup->setMaximumWidth(360);
  popup->adjustSize();

  QPoint place = at;
  if (const QScreen* screen = QGuiApplication::screenAt(at)) {
    const QRect area = screen->availableGeometry();
    place.setX(std::max(area.left(), std::min(place.x(), area.right() - popup->width())));
    place.setY(std::max(area.top(), std::min(place.y(), area.bottom() - popup->height())));
  }
  popup->move(place);
  popup->show();
  return popup;
}
