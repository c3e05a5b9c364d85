// The set editor's document thread: it owns the set document and every
// Sonvox object, and serves the requests of SetoraMessages.h one at a time
// in arrival order. The window sends a request and waits for its result;
// nothing else touches the document.
#pragma once

#include <memory>

#include "CSetoraDoc.h"
#include "SetoraMessages.h"
#include "common/DocumentThread.h"
#include "common/ObjectFactory.h"
#include "common/RequestThread.h"

class CSetoraDocThread : public nv::DocumentThread<CSetoraDocThread> {
 public:
  // Sonvox objects come from factory, the component runtime when empty.
  explicit CSetoraDocThread(ObjectFactory factory = {});
  // Closes the thread when it still runs.
  ~CSetoraDocThread();
  CSetoraDocThread(const CSetoraDocThread&) = delete;
  CSetoraDocThread& operator=(const CSetoraDocThread&) = delete;

  // Start() (from the base) enters the multithreaded apartment, makes sure
  // Sonvox is registered (registering the module from the program folder
  // when its melody class cannot be created) and creates the document;
  // false when any step failed. Close() sends SDM_CLOSE and waits for the
  // thread to end; the document and its melodies are released on the
  // thread before it leaves the apartment.

 private:
  friend class nv::DocumentThread<CSetoraDocThread>;

  static constexpr UINT kCloseMessage = SDM_CLOSE;

  bool OnStart();
  void OnStop();

  LONG OnDestroyed(WPARAM, LPARAM);
  LONG OnClose(WPARAM, LPARAM);
  LONG OnNew(WPARAM, LPARAM);
  LONG OnOpen(WPARAM, LPARAM);
  LONG OnSave(WPARAM, LPARAM);
  LONG OnIsModified(WPARAM, LPARAM);
  LONG OnGetCount(WPARAM, LPARAM);
  LONG OnGetName(WPARAM, LPARAM);
  LONG OnGetPath(WPARAM, LPARAM);
  LONG OnGetNoteCount(WPARAM, LPARAM);
  LONG OnAddMelody(WPARAM, LPARAM);
  LONG OnSaveMelody(WPARAM, LPARAM);
  LONG OnDelete(WPARAM, LPARAM);
  LONG OnMoveUp(WPARAM, LPARAM);
  LONG OnMoveDown(WPARAM, LPARAM);
  LONG OnPlay(WPARAM, LPARAM);
  LONG OnIsStopped(WPARAM, LPARAM);
  LONG OnStop(WPARAM, LPARAM);

  static const nv::RequestThread::Entry kRequests[];

  ObjectFactory factory_;
  std::unique_ptr<CSetoraDoc> doc_;
};
