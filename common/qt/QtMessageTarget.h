// A message target whose posted messages are delivered on the thread of a
// Qt object (the GUI thread for a widget). Component threads post to its
// handle with the platform's PostMessage; the handler runs later from the
// owner thread's event loop, in posting order.
#pragma once

#include <QObject>
#include <functional>

#include "platform/Messages.h"

class QtMessageTarget : public QObject, private MessageSink {
  Q_OBJECT

 public:
  using Handler = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;

  // Registers the target; handler runs on parent's thread (or the creating
  // thread without a parent). Handle() is null when registration failed.
  QtMessageTarget(Handler handler, QObject* parent = nullptr);
  // Unregisters first, so no post reaches the target afterwards; messages
  // already queued are dropped with the object.
  ~QtMessageTarget() override;

  HWND Handle() const { return handle_; }

 protected:
  void customEvent(QEvent* event) override;

 private:
  void Accept(UINT message, WPARAM wParam, LPARAM lParam) override;

  Handler handler_;
  HWND handle_ = nullptr;
};
