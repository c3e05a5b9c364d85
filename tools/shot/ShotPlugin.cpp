#include "ShotPlugin.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kDefaultDelayMs = 2000;
// A program that does not leave its event loop when asked is ended this
// long after the picture was taken.
constexpr int kExitGraceMs = 10000;

int DelayMs() {
  bool ok = false;
  const int delay = qEnvironmentVariableIntValue("NV_SHOT_DELAY_MS", &ok);
  return ok && delay >= 0 ? delay : kDefaultDelayMs;
}

}  // namespace

QObject* ShotPlugin::create(const QString& key, const QString& pngPath) {
  if (key.compare(QLatin1String("nvshot"), Qt::CaseInsensitive) != 0 || pngPath.isEmpty()) return nullptr;
  return new ShotTaker(pngPath);
}

ShotTaker::ShotTaker(QString path) : path_(std::move(path)) {
  QTimer::singleShot(DelayMs(), this, [this] { Shoot(); });
}

void ShotTaker::Shoot() {
  QWidget* chosen = nullptr;
  qint64 largest = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (!widget->isVisible() || widget->windowType() == Qt::ToolTip || widget->windowType() == Qt::Popup) continue;
    const qint64 area = static_cast<qint64>(widget->width()) * widget->height();
    if (area > largest) {
      largest = area;
      chosen = widget;
    }
  }
  int status = 0;
  if (chosen == nullptr || !chosen->grab().save(path_, "PNG")) {
    std::fprintf(stderr, "nvshot: no window could be saved as %s\n", qPrintable(path_));
    status = 1;
  }
  QTimer::singleShot(kExitGraceMs, [status] { std::_Exit(status); });
  QCoreApplication::exit(status);
}
