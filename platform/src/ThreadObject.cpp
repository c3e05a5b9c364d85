#include "ThreadObject.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>

namespace nv::platform {

namespace {

// The calling thread's identity. Its destructor runs when the thread exits
// and ends the object of a thread we did not start ourselves.
struct CurrentThread {
  DWORD id = 0;
  std::shared_ptr<ThreadObject> object;
  ~CurrentThread();
};

thread_local CurrentThread current;

// Owns an initialised pthread_attr_t.
class ThreadAttributes {
 public:
  ThreadAttributes() : error_(pthread_attr_init(&attr_)) {}
  ~ThreadAttributes() {
    if (error_ == 0) pthread_attr_destroy(&attr_);
  }
  ThreadAttributes(const ThreadAttributes&) = delete;
  ThreadAttributes& operator=(const ThreadAttributes&) = delete;

  int error() const { return error_; }
  pthread_attr_t* get() { return &attr_; }

 private:
  pthread_attr_t attr_;
  int error_;
};

DWORD LastErrorFromErrno(int error) {
  switch (error) {
    case EAGAIN:
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EPERM:
    case EACCES:
      return ERROR_ACCESS_DENIED;
    default:
      return ERROR_INVALID_PARAMETER;
  }
}

// The nice value a thread of normal priority runs at: the process's own.
int BaseNice() {
  static const int base = [] {
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
    return (nice == -1 && errno != 0) ? 0 : nice;
  }();
  return base;
}

// Nice offsets per priority step; the range is clamped to what the system knows.
bool NiceOffset(int priority, int* offset) {
  switch (priority) {
    case -15:  // idle
      *offset = 19;
      return true;
    case THREAD_PRIORITY_LOWEST:
    case THREAD_PRIORITY_BELOW_NORMAL:
    case THREAD_PRIORITY_NORMAL:
    case THREAD_PRIORITY_ABOVE_NORMAL:
    case THREAD_PRIORITY_HIGHEST:
      *offset = -5 * priority;
      return true;
    case 15:  // time critical
      *offset = -20;
      return true;
    default:
      return false;
  }
}

}  // namespace

struct ThreadObject::StartBlock {
  std::shared_ptr<ThreadObject> object;
  LPTHREAD_START_ROUTINE start;
  void* parameter;
};

CurrentThread::~CurrentThread() {
  if (object) object->Finish(0);
}

DWORD ThreadObject::NextId() {
  static std::atomic<DWORD> next{1};
  return next.fetch_add(1, std::memory_order_relaxed);
}

DWORD ThreadObject::CurrentId() {
  if (current.id == 0) current.id = NextId();
  return current.id;
}

std::shared_ptr<ThreadObject> ThreadObject::Current() {
  if (!current.object) {
    auto object = std::make_shared<ThreadObject>(CurrentId());
    std::lock_guard lock(Lock());
    object->tid_ = gettid();
    current.object = std::move(object);
  }
  return current.object;
}

std::shared_ptr<ThreadObject> ThreadObject::Start(LPTHREAD_START_ROUTINE start, void* parameter, size_t stackSize,
                                                  bool suspended, DWORD* error) {
  auto object = std::make_shared<ThreadObject>(NextId());
  object->suspendCount_ = suspended ? 1 : 0;
  auto block = std::make_unique<StartBlock>(StartBlock{object, start, parameter});

  ThreadAttributes attributes;
  int result = attributes.error();
  if (result == 0) result = pthread_attr_setdetachstate(attributes.get(), PTHREAD_CREATE_DETACHED);
  if (result == 0 && stackSize != 0) {
    const long page = sysconf(_SC_PAGESIZE);
    size_t size = std::max(stackSize, static_cast<size_t>(PTHREAD_STACK_MIN));
    if (page > 0) size = (size + static_cast<size_t>(page) - 1) / static_cast<size_t>(page) * static_cast<size_t>(page);
    result = pthread_attr_setstacksize(attributes.get(), size);
  }
  pthread_t thread;
  if (result == 0) result = pthread_create(&thread, attributes.get(), &ThreadObject::Run, block.get());
  if (result != 0) {
    *error = LastErrorFromErrno(result);
    return nullptr;
  }
  block.release();  // the thread owns it now
  return object;
}

void* ThreadObject::Run(void* startBlock) {
  std::unique_ptr<StartBlock> block(static_cast<StartBlock*>(startBlock));
  ThreadObject& self = *block->object;
  current.id = self.id_;
  current.object = block->object;
  {
    std::unique_lock lock(Lock());
    self.tid_ = gettid();
    self.ApplyPriority();
    self.resumed_.wait(lock, [&self] { return self.abandoned_ || (self.launched_ && self.suspendCount_ == 0); });
    if (self.abandoned_) {
      self.ended_ = true;
      self.exitCode_ = ERROR_NOT_ENOUGH_MEMORY;
      self.WakeWaiters();
      return nullptr;
    }
  }
  const DWORD exitCode = block->start(block->parameter);
  self.Finish(exitCode);
  return nullptr;
}

void ThreadObject::Finish(DWORD exitCode) {
  std::lock_guard lock(Lock());
  if (ended_) return;
  ended_ = true;
  exitCode_ = exitCode;
  WakeWaiters();
}

DWORD ThreadObject::ExitCode() {
  std::lock_guard lock(Lock());
  return ended_ ? exitCode_ : STILL_ACTIVE;
}

void ThreadObject::Launch() {
  std::lock_guard lock(Lock());
  launched_ = true;
  resumed_.notify_all();
}

void ThreadObject::Abandon() {
  std::lock_guard lock(Lock());
  abandoned_ = true;
  resumed_.notify_all();
}

DWORD ThreadObject::Resume() {
  std::lock_guard lock(Lock());
  const DWORD before = suspendCount_;
  if (suspendCount_ > 0 && --suspendCount_ == 0) resumed_.notify_all();
  return before;
}

bool ThreadObject::SetPriority(int priority) {
  int offset;
  if (!NiceOffset(priority, &offset)) return false;
  std::lock_guard lock(Lock());
  priority_ = priority;
  ApplyPriority();
  return true;
}

int ThreadObject::Priority() {
  std::lock_guard lock(Lock());
  return priority_;
}

void ThreadObject::ApplyPriority() {
  int offset = 0;
  if (tid_ == 0 || ended_ || !NiceOffset(priority_, &offset)) return;
  const int nice = std::clamp(BaseNice() + offset, -20, 19);
  // Best effort: an unprivileged process may not raise a priority (EACCES,
  // EPERM), and a thread that is just ending is gone (ESRCH). The priority
  // is still recorded, as callers expect.
  (void)setpriority(PRIO_PROCESS, static_cast<id_t>(tid_), nice);
}

bool ThreadObject::IsSignalled(Clock::time_point) {
  return ended_;
}

}  // namespace nv::platform
