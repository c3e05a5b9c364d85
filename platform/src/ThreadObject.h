// A thread's kernel object: signalled when the thread ends, holding its exit
// code and priority. The thread itself is detached: closing the last handle
// neither ends nor joins it, and the object lives while the thread runs.
#pragma once

#include <sys/types.h>

#include <memory>

#include "KernelObject.h"
#include "platform/Kernel.h"

namespace nv::platform {

class ThreadObject final : public KernelObject {
 public:
  explicit ThreadObject(DWORD id) : KernelObject(Kind::Thread), id_(id) {}

  // Starts a thread that will run start(parameter) once Launch() has been
  // called and, with `suspended`, Resume() too. stackSize 0 means the
  // default. Null with *error set to a last-error code when the thread cannot
  // be started.
  static std::shared_ptr<ThreadObject> Start(LPTHREAD_START_ROUTINE start, void* parameter, size_t stackSize,
                                             bool suspended, DWORD* error);
  // The calling thread's object. Threads not started by Start() get one on
  // first use, which is signalled (exit code 0) when that thread exits.
  // Throws std::bad_alloc.
  static std::shared_ptr<ThreadObject> Current();
  // The calling thread's identifier: unique in the process, never reused.
  static DWORD CurrentId();

  DWORD id() const { return id_; }

  // These take KernelObject::Lock() themselves.
  // Lets the started thread go on to its start routine.
  void Launch();
  // Ends the started thread without running its start routine.
  void Abandon();
  // STILL_ACTIVE while the thread runs.
  DWORD ExitCode();
  // Lowers the suspend count; returns the count before.
  DWORD Resume();
  // Records the priority and applies it to the thread as far as the system
  // allows an unprivileged process. Unknown priorities return false.
  bool SetPriority(int priority);
  int Priority();
  // Marks the thread ended with `exitCode`, unless it has ended already.
  void Finish(DWORD exitCode);

  bool IsSignalled(Clock::time_point now) override;

 private:
  struct StartBlock;
  static void* Run(void* startBlock);
  static DWORD NextId();
  // Requires the lock.
  void ApplyPriority();

  const DWORD id_;
  // Guarded by KernelObject::Lock().
  bool ended_ = false;
  DWORD exitCode_ = STILL_ACTIVE;
  int priority_ = THREAD_PRIORITY_NORMAL;
  DWORD suspendCount_ = 0;
  bool launched_ = false;
  bool abandoned_ = false;
  pid_t tid_ = 0;  // 0 until the thread runs
  std::condition_variable resumed_;
};

}  // namespace nv::platform
