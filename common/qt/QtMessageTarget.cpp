#include "QtMessageTarget.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

const QEvent::Type kPostedMessage = static_cast<QEvent::Type>(QEvent::registerEventType());

class PostedMessageEvent : public QEvent {
 public:
  PostedMessageEvent(UINT message, WPARAM wParam, LPARAM lParam)
      : QEvent(kPostedMessage), message(message), wParam(wParam), lParam(lParam) {}

  const UINT message;
  const WPARAM wParam;
  const LPARAM lParam;
};

}  // namespace

QtMessageTarget::QtMessageTarget(Handler handler, QObject* parent) : QObject(parent), handler_(std::move(handler)) {
  handle_ = RegisterMessageTarget(this);
}

QtMessageTarget::~QtMessageTarget() {
  if (handle_ != nullptr) UnregisterMessageTarget(handle_);
}

void QtMessageTarget::Accept(UINT message, WPARAM wParam, LPARAM lParam) {
  // Runs on the posting thread: postEvent is thread-safe and takes ownership.
  QCoreApplication::postEvent(this, new PostedMessageEvent(message, wParam, lParam));
}

void QtMessageTarget::customEvent(QEvent* event) {
  if (event->type() != kPostedMessage) {
    QObject::customEvent(event);
    return;
  }
  const auto* posted = static_cast<PostedMessageEvent*>(event);
  if (handler_) handler_(posted->message, posted->wParam, posted->lParam);
}
