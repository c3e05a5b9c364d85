#include "common/RequestThread.h"

#include <system_error>

#include "platform/Com.h"

namespace nv {

// One request in flight. The sender waits on cv for done, or for a job the
// handler hands back to it.
struct RequestThread::Request {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LONG result = 0;
  bool done = false;
  const std::function<void()>* job = nullptr;
  bool jobDone = false;
  std::condition_variable cv;
};

// Outcome of the start-up steps, shared by Start and the new thread.
struct RequestThread::StartState {
  std::mutex mutex;
  std::condition_variable cv;
  bool finished = false;
  bool ready = false;

  void Finish(bool isReady) {
    std::lock_guard lock(mutex);
    finished = true;
    ready = isReady;
    cv.notify_all();
  }
};

RequestThread::~RequestThread() {
  Close();
}

bool RequestThread::Start(const Entry* table, void* owner, Hooks hooks) {
  if (thread_.joinable() || table == nullptr) return false;
  table_ = table;
  owner_ = owner;
  auto state = std::make_shared<StartState>();
  try {
    thread_ = std::thread(&RequestThread::Run, this, state, std::move(hooks));
  } catch (const std::system_error&) {
    return false;
  }
  std::unique_lock lock(state->mutex);
  state->cv.wait(lock, [&] { return state->finished; });
  if (!state->ready) {
    lock.unlock();
    thread_.join();
    return false;
  }
  return true;
}

void RequestThread::Run(std::shared_ptr<StartState> state, Hooks hooks) {
  {
    std::lock_guard lock(mutex_);
    threadId_ = std::this_thread::get_id();
  }
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
    state->Finish(false);
    return;
  }
  if (hooks.onStart && !hooks.onStart()) {
    CoUninitialize();
    state->Finish(false);
    return;
  }
  {
    std::lock_guard lock(mutex_);
    running_ = true;
    quit_ = false;
  }
  state->Finish(true);

  std::unique_lock lock(mutex_);
  while (!quit_) {
    wake_.wait(lock, [&] { return quit_ || !queue_.empty(); });
    if (quit_) break;
    auto request = queue_.front();
    queue_.pop_front();
    current_ = request;
    lock.unlock();
    const LONG result = Dispatch(request->message, request->wParam, request->lParam);
    lock.lock();
    current_.reset();
    request->result = result;
    request->done = true;
    request->cv.notify_all();
  }
  // Requests that arrived after the quit are answered with 0.
  running_ = false;
  for (auto& request : queue_) {
    request->done = true;
    request->cv.notify_all();
  }
  queue_.clear();
  lock.unlock();

  if (hooks.onStop) hooks.onStop();
  CoUninitialize();
}

LONG RequestThread::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == 0) return 0;
  for (const Entry* row = table_; row->message != 0; ++row) {
    if (row->message != message) continue;
    try {
      return row->handler(owner_, wParam, lParam);
    } catch (...) {
      // A handler that throws fails its request; the thread serves on.
      return 0;
    }
  }
  return 0;
}

LONG RequestThread::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsCurrentThread()) return Dispatch(message, wParam, lParam);
  auto request = std::make_shared<Request>();
  request->message = message;
  request->wParam = wParam;
  request->lParam = lParam;

  std::unique_lock lock(mutex_);
  if (!running_) return 0;
  queue_.push_back(request);
  wake_.notify_all();
  for (;;) {
    request->cv.wait(lock, [&] { return request->done || request->job != nullptr; });
    if (request->job != nullptr) {
      const auto* job = request->job;
      request->job = nullptr;
      lock.unlock();
      (*job)();
      lock.lock();
      request->jobDone = true;
      wake_.notify_all();
      continue;
    }
    return request->result;
  }
}

bool RequestThread::RunOnSender(const std::function<void()>& job) {
  std::unique_lock lock(mutex_);
  if (std::this_thread::get_id() != threadId_) return false;
  auto request = current_;
  if (!request) return false;
  request->jobDone = false;
  request->job = &job;
  request->cv.notify_all();
  // While the sender runs the job it may send further requests (a dialog's
  // event loop repaints the view): serve them here, as a nested loop would.
  for (;;) {
    wake_.wait(lock, [&] { return request->jobDone || !queue_.empty(); });
    if (request->jobDone) return true;
    auto nested = queue_.front();
    queue_.pop_front();
    current_ = nested;
    lock.unlock();
    const LONG result = Dispatch(nested->message, nested->wParam, nested->lParam);
    lock.lock();
    current_ = request;
    nested->result = result;
    nested->done = true;
    nested->cv.notify_all();
  }
}

void RequestThread::Quit() {
  std::lock_guard lock(mutex_);
  quit_ = true;
  running_ = false;
  wake_.notify_all();
}

void RequestThread::Close(UINT closeMessage) {
  if (!thread_.joinable()) return;
  if (IsCurrentThread()) {
    Quit();
    return;
  }
  if (closeMessage != 0) Send(closeMessage);
  Quit();
  thread_.join();
}

bool RequestThread::IsRunning() const {
  std::lock_guard lock(mutex_);
  return running_;
}

bool RequestThread::IsCurrentThread() const {
  std::lock_guard lock(mutex_);
  return std::this_thread::get_id() == threadId_;
}

}  // namespace nv
