// Kernel objects and thread services: events, waitable timers, threads,
// waits, critical sections, interlocked operations, time and last error.
// Handles are closed with CloseHandle; a handle stays valid for waiters
// until it is closed.
#pragma once

#include <pthread.h>

#include "platform/Types.h"

constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_ABANDONED = 0x80;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;
constexpr DWORD STILL_ACTIVE = 259;

constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;
constexpr int THREAD_PRIORITY_ERROR_RETURN = 0x7FFFFFFF;

constexpr DWORD CREATE_SUSPENDED = 0x4;

// Access rights are accepted and ignored: every handle has full access.
constexpr DWORD SYNCHRONIZE = 0x00100000;
constexpr DWORD EVENT_MODIFY_STATE = 0x0002;
constexpr DWORD EVENT_ALL_ACCESS = 0x001F0003;
constexpr DWORD TIMER_ALL_ACCESS = 0x001F0003;

constexpr DWORD DUPLICATE_CLOSE_SOURCE = 0x1;
constexpr DWORD DUPLICATE_SAME_ACCESS = 0x2;

union LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  };
  LONGLONG QuadPart;
};

typedef DWORD (*LPTHREAD_START_ROUTINE)(LPVOID parameter);

// Recursive, like the platform's critical sections.
struct CRITICAL_SECTION {
  pthread_mutex_t mutex;
};

extern "C" {

// Events. A named event is shared inside this process: a second
// CreateEvent with the same name returns a new handle to the same event and
// sets last error ERROR_ALREADY_EXISTS. Null on failure (see GetLastError).
NVPLATFORM_API HANDLE CreateEvent(void* security, BOOL manualReset, BOOL initialState, LPCSTR name);
// Null with ERROR_FILE_NOT_FOUND when no event has that name.
NVPLATFORM_API HANDLE OpenEvent(DWORD access, BOOL inherit, LPCSTR name);
NVPLATFORM_API BOOL SetEvent(HANDLE event);
NVPLATFORM_API BOOL ResetEvent(HANDLE event);

// Waitable timers. A negative due time is relative, in 100 ns ticks; a
// positive one is absolute on the performance-counter clock. period in ms
// (0: one shot); completion routines are not supported (must be null).
NVPLATFORM_API HANDLE CreateWaitableTimer(void* security, BOOL manualReset, LPCSTR name);
NVPLATFORM_API BOOL SetWaitableTimer(HANDLE timer, const LARGE_INTEGER* dueTime, LONG period, void* completion,
                                     void* argument, BOOL resume);
NVPLATFORM_API BOOL CancelWaitableTimer(HANDLE timer);

// Threads. The handle is signalled when the thread ends; closing it neither
// ends nor joins the thread. Thread identifiers are unique in the process and
// never reused. Null on failure.
NVPLATFORM_API HANDLE CreateThread(void* security, size_t stackSize, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                                   DWORD flags, DWORD* threadId);
// The suspend count before the call; (DWORD)-1 on failure.
NVPLATFORM_API DWORD ResumeThread(HANDLE thread);
// A pseudo handle for the calling thread, valid only on that thread; it need not be closed.
NVPLATFORM_API HANDLE GetCurrentThread();
NVPLATFORM_API DWORD GetCurrentThreadId();
// Priorities are best effort (an unprivileged process may not raise them); returns TRUE then too.
NVPLATFORM_API BOOL SetThreadPriority(HANDLE thread, int priority);
// The priority last set; THREAD_PRIORITY_ERROR_RETURN on failure.
NVPLATFORM_API int GetThreadPriority(HANDLE thread);
NVPLATFORM_API BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);

// Waits. Auto-reset events and timers are reset by the wait they satisfy;
// a wait-any resets only the object it returns. waitAll waits until all are
// signalled at once and then satisfies all of them (WAIT_OBJECT_0).
// WAIT_OBJECT_0 + index of the first signalled handle, WAIT_TIMEOUT, or
// WAIT_FAILED (bad handle: ERROR_INVALID_HANDLE; count 0 or above
// MAXIMUM_WAIT_OBJECTS, or one object twice with waitAll:
// ERROR_INVALID_PARAMETER). A handle closed by another thread during the wait
// stays usable for that wait. Waiting on GetCurrentThread() only times out.
NVPLATFORM_API DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
NVPLATFORM_API DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);
// FALSE with ERROR_INVALID_HANDLE if the handle is not open. Closing a pseudo
// handle does nothing and succeeds.
NVPLATFORM_API BOOL CloseHandle(HANDLE handle);
// Within this process only (both process handles GetCurrentProcess()); the
// duplicate of GetCurrentThread() is a real handle to the calling thread.
NVPLATFORM_API BOOL DuplicateHandle(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, HANDLE* target,
                                    DWORD access, BOOL inherit, DWORD options);
NVPLATFORM_API HANDLE GetCurrentProcess();

// Critical sections cannot report failure; a call that fails sets the last
// error (InitializeCriticalSection still leaves a usable section).
NVPLATFORM_API void InitializeCriticalSection(CRITICAL_SECTION* section);
NVPLATFORM_API void EnterCriticalSection(CRITICAL_SECTION* section);
NVPLATFORM_API BOOL TryEnterCriticalSection(CRITICAL_SECTION* section);
NVPLATFORM_API void LeaveCriticalSection(CRITICAL_SECTION* section);
NVPLATFORM_API void DeleteCriticalSection(CRITICAL_SECTION* section);

NVPLATFORM_API void Sleep(DWORD milliseconds);
// The performance counter is the monotonic clock in 100 ns ticks: the
// frequency is 10,000,000. GetTickCount is the same clock in ms, wrapping.
NVPLATFORM_API BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
NVPLATFORM_API BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
NVPLATFORM_API DWORD GetTickCount();
NVPLATFORM_API DWORD GetCurrentProcessId();

NVPLATFORM_API DWORD GetLastError();
NVPLATFORM_API void SetLastError(DWORD error);

}  // extern "C"

inline LONG InterlockedIncrement(volatile LONG* v) {
  return __atomic_add_fetch(v, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedDecrement(volatile LONG* v) {
  return __atomic_sub_fetch(v, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedExchange(volatile LONG* v, LONG value) {
  return __atomic_exchange_n(v, value, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedExchangeAdd(volatile LONG* v, LONG value) {
  return __atomic_fetch_add(v, value, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedCompareExchange(volatile LONG* v, LONG exchange, LONG comparand) {
  __atomic_compare_exchange_n(v, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return comparand;
}
// Reads with the same ordering as the interlocked writes.
inline LONG InterlockedRead(const volatile LONG* v) {
  return __atomic_load_n(v, __ATOMIC_SEQ_CST);
}
