// The kernel-object API over our own objects: HANDLE values are keys of the
// handle table, which holds the objects; every failing call sets the calling
// thread's last error.
#include "platform/Kernel.h"

#include <sched.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <limits>
#include <new>
#include <string>

#include "Event.h"
#include "HandleTable.h"
#include "ThreadObject.h"
#include "WaitableTimer.h"

namespace {

using nv::platform::Event;
using nv::platform::HandleTable;
using nv::platform::KernelObject;
using nv::platform::ThreadObject;
using nv::platform::WaitableTimer;
using Clock = KernelObject::Clock;
using Kind = KernelObject::Kind;
using Ticks = std::chrono::duration<LONGLONG, std::ratio<1, 10'000'000>>;  // 100 ns

const HANDLE kCurrentProcess = INVALID_HANDLE_VALUE;
const HANDLE kCurrentThread = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2));

thread_local DWORD lastError = ERROR_SUCCESS;

// Runs `body`, turning exceptions (only allocation failures are expected)
// into `failure` with the last error set: nothing may leave a C function.
template <class Result, class Body>
Result Guarded(Result failure, Body body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    lastError = ERROR_NOT_ENOUGH_MEMORY;
  } catch (...) {
    lastError = ERROR_GEN_FAILURE;
  }
  return failure;
}

// The object behind a handle or the current-thread pseudo handle; null with
// ERROR_INVALID_HANDLE when the handle is not open or not of `kind`.
template <class Object>
std::shared_ptr<Object> Resolve(HANDLE handle, Kind kind) {
  std::shared_ptr<KernelObject> object =
      handle == kCurrentThread ? ThreadObject::Current() : HandleTable::Instance().Find(handle);
  if (!object || object->kind() != kind) {
    lastError = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  return std::static_pointer_cast<Object>(object);
}

std::shared_ptr<KernelObject> ResolveAny(HANDLE handle) {
  std::shared_ptr<KernelObject> object =
      handle == kCurrentThread ? ThreadObject::Current() : HandleTable::Instance().Find(handle);
  if (!object) lastError = ERROR_INVALID_HANDLE;
  return object;
}

// Creates an unnamed object, or opens or creates a named one. The last error
// is ERROR_ALREADY_EXISTS when a named object was opened, else ERROR_SUCCESS.
template <class Make>
HANDLE CreateObject(LPCSTR name, Kind kind, Make make) {
  if (name == nullptr || *name == '\0') {
    HANDLE handle = HandleTable::Instance().Add(make());
    lastError = ERROR_SUCCESS;
    return handle;
  }
  bool existed = false;
  HANDLE handle = HandleTable::Instance().CreateNamed(name, kind, make, &existed);
  if (handle == nullptr) {
    lastError = ERROR_INVALID_HANDLE;  // the name belongs to an object of another kind
    return nullptr;
  }
  lastError = existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
  return handle;
}

// 100 ns tick counts are clamped so that a time point never overflows.
constexpr LONGLONG kMaxTicks = std::numeric_limits<LONGLONG>::max() / 1000;

}  // namespace

extern "C" {

HANDLE CreateEvent(void*, BOOL manualReset, BOOL initialState, LPCSTR name) {
  return Guarded<HANDLE>(nullptr, [&] {
    return CreateObject(name, Kind::Event,
                        [&] { return std::make_shared<Event>(manualReset != FALSE, initialState != FALSE); });
  });
}

HANDLE OpenEvent(DWORD, BOOL, LPCSTR name) {
  return Guarded<HANDLE>(nullptr, [&]() -> HANDLE {
    if (name == nullptr || *name == '\0') {
      lastError = ERROR_INVALID_PARAMETER;
      return nullptr;
    }
    HANDLE handle = HandleTable::Instance().OpenNamed(name, Kind::Event);
    if (handle == nullptr) lastError = ERROR_FILE_NOT_FOUND;
    return handle;
  });
}

BOOL SetEvent(HANDLE event) {
  return Guarded<BOOL>(FALSE, [&] {
    auto object = Resolve<Event>(event, Kind::Event);
    if (!object) return FALSE;
    object->Set();
    return TRUE;
  });
}

BOOL ResetEvent(HANDLE event) {
  return Guarded<BOOL>(FALSE, [&] {
    auto object = Resolve<Event>(event, Kind::Event);
    if (!object) return FALSE;
    object->Reset();
    return TRUE;
  });
}

HANDLE CreateWaitableTimer(void*, BOOL manualReset, LPCSTR name) {
  return Guarded<HANDLE>(nullptr, [&] {
    return CreateObject(name, Kind::Timer, [&] { return std::make_shared<WaitableTimer>(manualReset != FALSE); });
  });
}

BOOL SetWaitableTimer(HANDLE timer, const LARGE_INTEGER* dueTime, LONG period, void* completion, void*, BOOL) {
  return Guarded<BOOL>(FALSE, [&] {
    auto object = Resolve<WaitableTimer>(timer, Kind::Timer);
    if (!object) return FALSE;
    if (dueTime == nullptr || period < 0) {
      lastError = ERROR_INVALID_PARAMETER;
      return FALSE;
    }
    if (completion != nullptr) {
      lastError = ERROR_NOT_SUPPORTED;
      return FALSE;
    }
    const LONGLONG due = dueTime->QuadPart;
    Clock::time_point when;
    if (due < 0) {
      const LONGLONG relative = due < -kMaxTicks ? kMaxTicks : -due;
      when = Clock::now() + std::chrono::duration_cast<Clock::duration>(Ticks(relative));
    } else {
      when = Clock::time_point(std::chrono::duration_cast<Clock::duration>(Ticks(std::min(due, kMaxTicks))));
    }
    object->Arm(when, std::chrono::milliseconds(period));
    return TRUE;
  });
}

BOOL CancelWaitableTimer(HANDLE timer) {
  return Guarded<BOOL>(FALSE, [&] {
    auto object = Resolve<WaitableTimer>(timer, Kind::Timer);
    if (!object) return FALSE;
    object->Cancel();
    return TRUE;
  });
}

HANDLE CreateThread(void*, size_t stackSize, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                    DWORD* threadId) {
  return Guarded<HANDLE>(nullptr, [&]() -> HANDLE {
    if (start == nullptr) {
      lastError = ERROR_INVALID_PARAMETER;
      return nullptr;
    }
    DWORD error = ERROR_SUCCESS;
    auto thread = ThreadObject::Start(start, parameter, stackSize, (flags & CREATE_SUSPENDED) != 0, &error);
    if (!thread) {
      lastError = error;
      return nullptr;
    }
    // The thread runs `start` only once its handle exists: a caller told
    // that CreateThread failed must not have the work done anyway.
    HANDLE handle = nullptr;
    try {
      handle = HandleTable::Instance().Add(thread);
    } catch (...) {
      thread->Abandon();
      throw;
    }
    thread->Launch();
    if (threadId != nullptr) *threadId = thread->id();
    return handle;
  });
}

DWORD ResumeThread(HANDLE thread) {
  return Guarded<DWORD>(static_cast<DWORD>(-1), [&] {
    auto object = Resolve<ThreadObject>(thread, Kind::Thread);
    return object ? object->Resume() : static_cast<DWORD>(-1);
  });
}

HANDLE GetCurrentThread() {
  return kCurrentThread;
}

DWORD GetCurrentThreadId() {
  return ThreadObject::CurrentId();
}

BOOL SetThreadPriority(HANDLE thread, int priority) {
  return Guarded<BOOL>(FALSE, [&] {
    auto object = Resolve<ThreadObject>(thread, Kind::Thread);
    if (!object) return FALSE;
    if (!object->SetPriority(priority)) {
      lastError = ERROR_INVALID_PARAMETER;
      return FALSE;
    }
    return TRUE;
  });
}

int GetThreadPriority(HANDLE thread) {
  return Guarded<int>(THREAD_PRIORITY_ERROR_RETURN, [&] {
    auto object = Resolve<ThreadObject>(thread, Kind::Thread);
    return object ? object->Priority() : THREAD_PRIORITY_ERROR_RETURN;
  });
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
  return Guarded<BOOL>(FALSE, [&] {
    auto object = Resolve<ThreadObject>(thread, Kind::Thread);
    if (!object) return FALSE;
    if (exitCode == nullptr) {
      lastError = ERROR_INVALID_PARAMETER;
      return FALSE;
    }
    *exitCode = object->ExitCode();
    return TRUE;
  });
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  return WaitForMultipleObjects(1, &handle, FALSE, milliseconds);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
  return Guarded<DWORD>(WAIT_FAILED, [&]() -> DWORD {
    if (handles == nullptr || count == 0 || count > MAXIMUM_WAIT_OBJECTS) {
      lastError = ERROR_INVALID_PARAMETER;
      return WAIT_FAILED;
    }
    // Our own references keep the objects alive even if another thread
    // closes their handles during the wait.
    std::array<std::shared_ptr<KernelObject>, MAXIMUM_WAIT_OBJECTS> held;
    std::array<KernelObject*, MAXIMUM_WAIT_OBJECTS> objects{};
    for (DWORD i = 0; i < count; ++i) {
      held[i] = ResolveAny(handles[i]);
      if (!held[i]) return WAIT_FAILED;
      objects[i] = held[i].get();
    }
    if (waitAll) {
      // Waiting for all of an object twice has no meaning.
      for (DWORD i = 0; i < count; ++i)
        for (DWORD j = 0; j < i; ++j)
          if (objects[i] == objects[j]) {
            lastError = ERROR_INVALID_PARAMETER;
            return WAIT_FAILED;
          }
    }
    const DWORD result = KernelObject::Wait({objects.data(), count}, waitAll != FALSE, milliseconds);
    return result == WAIT_TIMEOUT ? WAIT_TIMEOUT : WAIT_OBJECT_0 + result;
  });
}

BOOL CloseHandle(HANDLE handle) {
  if (handle == kCurrentThread || handle == kCurrentProcess) return TRUE;
  return Guarded<BOOL>(FALSE, [&] {
    if (HandleTable::Instance().Close(handle)) return TRUE;
    lastError = ERROR_INVALID_HANDLE;
    return FALSE;
  });
}

BOOL DuplicateHandle(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, HANDLE* target, DWORD, BOOL,
                     DWORD options) {
  return Guarded<BOOL>(FALSE, [&] {
    if (sourceProcess != kCurrentProcess || targetProcess != kCurrentProcess) {
      lastError = ERROR_INVALID_HANDLE;
      return FALSE;
    }
    if (target == nullptr) {
      lastError = ERROR_INVALID_PARAMETER;
      return FALSE;
    }
    HandleTable& table = HandleTable::Instance();
    HANDLE duplicate = source == kCurrentThread ? table.Add(ThreadObject::Current()) : table.Duplicate(source);
    if (duplicate == nullptr) {
      lastError = ERROR_INVALID_HANDLE;
      return FALSE;
    }
    *target = duplicate;
    if ((options & DUPLICATE_CLOSE_SOURCE) != 0 && source != kCurrentThread) table.Close(source);
    return TRUE;
  });
}

HANDLE GetCurrentProcess() {
  return kCurrentProcess;
}

void InitializeCriticalSection(CRITICAL_SECTION* section) {
  if (section == nullptr) {
    lastError = ERROR_INVALID_PARAMETER;
    return;
  }
  pthread_mutexattr_t attributes;
  int result = pthread_mutexattr_init(&attributes);
  if (result == 0) {
    result = pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    if (result == 0) result = pthread_mutex_init(&section->mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
  }
  if (result != 0) {
    // The static initialiser needs no resources, so the section is usable
    // even when the calls above fail.
    const pthread_mutex_t recursive = PTHREAD_RECURSIVE_MUTEX_INITIALIZER_NP;
    section->mutex = recursive;
    lastError = ERROR_NOT_ENOUGH_MEMORY;
  }
}

void EnterCriticalSection(CRITICAL_SECTION* section) {
  if (pthread_mutex_lock(&section->mutex) != 0) lastError = ERROR_INVALID_HANDLE;
}

BOOL TryEnterCriticalSection(CRITICAL_SECTION* section) {
  return pthread_mutex_trylock(&section->mutex) == 0 ? TRUE : FALSE;
}

void LeaveCriticalSection(CRITICAL_SECTION* section) {
  if (pthread_mutex_unlock(&section->mutex) != 0) lastError = ERROR_INVALID_HANDLE;
}

void DeleteCriticalSection(CRITICAL_SECTION* section) {
  if (pthread_mutex_destroy(&section->mutex) != 0) lastError = ERROR_INVALID_HANDLE;
}

void Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    sched_yield();
    return;
  }
  if (milliseconds == INFINITE) {
    for (;;) pause();
  }
  timespec until;
  if (clock_gettime(CLOCK_MONOTONIC, &until) != 0) return;
  until.tv_sec += milliseconds / 1000;
  until.tv_nsec += static_cast<long>(milliseconds % 1000) * 1'000'000;
  if (until.tv_nsec >= 1'000'000'000) {
    until.tv_nsec -= 1'000'000'000;
    ++until.tv_sec;
  }
  // Signals interrupt the sleep; it goes on to the same end.
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (count == nullptr) {
    lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  count->QuadPart = std::chrono::duration_cast<Ticks>(Clock::now().time_since_epoch()).count();
  return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (frequency == nullptr) {
    lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  frequency->QuadPart = Ticks::period::den;
  return TRUE;
}

DWORD GetTickCount() {
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch());
  return static_cast<DWORD>(elapsed.count());
}

DWORD GetCurrentProcessId() {
  return static_cast<DWORD>(getpid());
}

DWORD GetLastError() {
  return lastError;
}

void SetLastError(DWORD error) {
  lastError = error;
}

}  // extern "C"
