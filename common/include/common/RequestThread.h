// A thread of its own that owns a program's component objects and serves
// numbered requests from other threads, one at a time, in arrival order.
//
// The requests are a static table of (message number, handler) rows ended by
// a row whose message is 0. A sender blocks until its request has been served
// and gets the handler's 32-bit result; out-values travel through pointers in
// the two parameters, which stay valid for the whole send. While a sender
// waits, a handler may hand small jobs back to it (RunOnSender), so a request
// can show a message box on the user-interface thread without deadlock.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/Types.h"

namespace nv {

class RequestThread {
 public:
  using Handler = LONG (*)(void* owner, WPARAM wParam, LPARAM lParam);

  struct Entry {
    UINT message;
    Handler handler;
  };

  // Adapts a member function to a table row's handler:
  //   {DOCM_NEW, &RequestThread::Bind<CDocThread, &CDocThread::OnNew>}
  template <class T, LONG (T::*Method)(WPARAM, LPARAM)>
  static LONG Bind(void* owner, WPARAM wParam, LPARAM lParam) {
    return (static_cast<T*>(owner)->*Method)(wParam, lParam);
  }

  // Start-up and shutdown steps that run on the thread itself: onStart after
  // the thread has entered the component runtime's multithreaded apartment
  // (false ends the thread before it is ready), onStop after the last request,
  // before the apartment is left.
  struct Hooks {
    std::function<bool()> onStart;
    std::function<void()> onStop;
  };

  RequestThread() = default;
  // Ends the loop and waits for the thread when it still runs.
  ~RequestThread();
  RequestThread(const RequestThread&) = delete;
  RequestThread& operator=(const RequestThread&) = delete;

  // Starts the thread and waits until it is ready or has failed. table and
  // owner must outlive the thread. Returns true when the thread is ready;
  // false when it could not be created, the apartment could not be entered or
  // onStart failed (the thread has ended then), or when it already runs.
  bool Start(const Entry* table, void* owner, Hooks hooks = {});

  // Serves one request synchronously. Returns the handler's result; 0 for a
  // number the table does not hold and when the thread does not run. Sent
  // from the thread itself (from inside a handler) the handler runs at once.
  LONG Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  // From a handler: the loop ends once the current request has been served;
  // requests sent after that get 0.
  void Quit();

  // Sends closeMessage (none when 0), ends the loop if the handler did not,
  // and waits for the thread to end without a time-out.
  void Close(UINT closeMessage = 0);

  // From a handler: runs job on the thread that sent the current request and
  // returns when it is done. Returns false (job not run) outside a request or
  // for a request sent from the thread itself, where job runs directly.
  bool RunOnSender(const std::function<void()>& job);

  bool IsRunning() const;
  // True on the request thread itself.
  bool IsCurrentThread() const;

 private:
  struct Request;
  struct StartState;

  void Run(std::shared_ptr<StartState> state, Hooks hooks);
  LONG Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  const Entry* table_ = nullptr;
  void* owner_ = nullptr;
  std::thread thread_;
  std::thread::id threadId_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::shared_ptr<Request>> queue_;
  std::shared_ptr<Request> current_;  // the request being served, read by RunOnSender
  bool running_ = false;              // accepting requests
  bool quit_ = false;
};

// A request's out-value: the pointer the sender passed as the first parameter
// (null when it wants none).
template <class T>
T* RequestOut(WPARAM wParam) {
  return reinterpret_cast<T*>(wParam);
}

}  // namespace nv
