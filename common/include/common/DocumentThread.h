// The start and close every program's document (or device) thread shares:
// a request thread serving the owner's static table, the owner's start-up
// and shutdown steps run on that thread, and the owner's close request sent
// before the thread is joined.
//
// Owner derives from DocumentThread<Owner> and provides
//   static const nv::RequestThread::Entry kRequests[];  // ended by a 0 row
//   static constexpr UINT kCloseMessage = ...;           // 0: none
//   bool OnStart();   // on the thread, inside the apartment; false ends it
//   void OnStop();    // on the thread, after the last request
// (private members need `friend class nv::DocumentThread<Owner>;`).
// Owner's destructor calls Close(): the shutdown step uses Owner's members,
// which are gone by the time this base is destroyed.
#pragma once

#include "common/RequestThread.h"

namespace nv {

template <class Owner>
class DocumentThread {
 public:
  DocumentThread(const DocumentThread&) = delete;
  DocumentThread& operator=(const DocumentThread&) = delete;

  // Starts the thread and waits until it is ready. Returns false when the
  // thread could not be made, the apartment could not be entered or
  // OnStart failed (the thread has ended then), or when it already runs.
  bool Start() {
    Owner* owner = static_cast<Owner*>(this);
    return thread_.Start(Owner::kRequests, owner, {[owner] { return owner->OnStart(); }, [owner] { owner->OnStop(); }});
  }

  // Sends the close request, ends the loop and waits for the thread; does
  // nothing when the thread does not run.
  void Close() { thread_.Close(Owner::kCloseMessage); }

  // One synchronous request; 0 when the thread does not run.
  LONG Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { return thread_.Send(message, wParam, lParam); }

  // The request thread, for typed clients and for handlers (Quit,
  // RunOnSender).
  RequestThread& Thread() { return thread_; }

 protected:
  DocumentThread() = default;
  ~DocumentThread() = default;

  RequestThread thread_;
};

}  // namespace nv
