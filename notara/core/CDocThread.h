// The editor's document thread: it owns the document record and every
// Sonvox object, and serves the requests of DocMessages.h one at a time in
// arrival order. The user-interface thread sends a request and waits for its
// 32-bit result; nothing else touches the document.
//
// Editing requests record themselves in the document's undo pool; undo
// applies the newest record back.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "CMelodyDoc.h"
#include "CMelodyEditor.h"
#include "CWholeMelodyEdits.h"
#include "DocMessages.h"
#include "common/DocumentThread.h"
#include "common/ObjectFactory.h"
#include "common/RequestThread.h"

class CDocThread : public nv::DocumentThread<CDocThread> {
 public:
  // What the document shows the user; both run on the thread that sent the
  // request that caused them (the user-interface thread), while the
  // document thread waits.
  struct Ui {
    std::function<void(const std::u16string& text)> showError;
    std::function<void(bool busy)> setWaitCursor;
  };

  // The longest a note sounded on edit is waited for; the sound of a dotted
  // sixteenth lasts 0.2 s, so only a stalled audio device takes this long.
  static constexpr DWORD kSoundWaitMs = 10000;

  // Sonvox objects come from factory, the component runtime when empty.
  explicit CDocThread(Ui ui = {}, ObjectFactory factory = {});
  // Closes the thread when it still runs.
  ~CDocThread();
  CDocThread(const CDocThread&) = delete;
  CDocThread& operator=(const CDocThread&) = delete;

  // Start() (from the base) enters the multithreaded apartment, makes sure
  // Sonvox is registered (registering the module from the program folder
  // when its melody class cannot be created) and creates the document;
  // false when any step failed. Close() sends DOCM_CLOSE and waits for the
  // thread to end.

  // The staff view's message target, where playback posts its progress.
  void SetViewWindow(HWND window) { viewWindow_.store(window); }

  // The document record; only for code running on the document thread.
  CMelodyDoc* Document() const { return doc_.get(); }

 private:
  friend class nv::DocumentThread<CDocThread>;
  class DocUi;

  static constexpr UINT kCloseMessage = DOCM_CLOSE;

  bool OnStart();
  void OnStop();
  IMelody* Melody() const;

  LONG OnDestroyed(WPARAM, LPARAM);
  LONG OnClose(WPARAM, LPARAM);
  LONG OnNew(WPARAM, LPARAM);
  LONG OnOpen(WPARAM, LPARAM);
  LONG OnSave(WPARAM, LPARAM);
  LONG OnIsModified(WPARAM, LPARAM);
  LONG OnGetPath(WPARAM, LPARAM);
  LONG OnExportMidi(WPARAM, LPARAM);
  LONG OnUndo(WPARAM, LPARAM);
  LONG OnNextNote(WPARAM, LPARAM);
  LONG OnPrevNote(WPARAM, LPARAM);
  LONG OnSoundNote(WPARAM, LPARAM);
  LONG OnIsUndoEmpty(WPARAM, LPARAM);
  LONG OnRingImport(WPARAM, LPARAM);
  LONG OnRingExport(WPARAM, LPARAM);
  LONG OnTranspose(WPARAM, LPARAM);
  LONG OnDraw(WPARAM, LPARAM);
  LONG OnGetName(WPARAM, LPARAM);
  LONG OnGetCount(WPARAM, LPARAM);
  LONG OnGetCurrent(WPARAM, LPARAM);
  LONG OnGetNotePos(WPARAM, LPARAM);
  LONG OnGetPitch(WPARAM, LPARAM);
  LONG OnGetDuration(WPARAM, LPARAM);
  LONG OnGetFlags(WPARAM, LPARAM);
  LONG OnGetNoteSize(WPARAM, LPARAM);
  LONG OnPlay(WPARAM, LPARAM);
  LONG OnStop(WPARAM, LPARAM);
  LONG OnSelectAt(WPARAM, LPARAM);
  LONG OnInsertNote(WPARAM, LPARAM);
  LONG OnInsertRest(WPARAM, LPARAM);
  LONG OnDelete(WPARAM, LPARAM);
  LONG OnPitchUp(WPARAM, LPARAM);
  LONG OnPitchDown(WPARAM, LPARAM);
  LONG OnLengthen(WPARAM, LPARAM);
  LONG OnShorten(WPARAM, LPARAM);
  LONG OnRename(WPARAM, LPARAM);
  LONG OnIsPlaying(WPARAM, LPARAM);
  LONG OnChClear(WPARAM, LPARAM);
  LONG OnChAddNote(WPARAM, LPARAM);
  LONG OnChCount(WPARAM, LPARAM);
  LONG OnChGetCount(WPARAM, LPARAM);
  LONG OnChIsPlaying(WPARAM, LPARAM);
  LONG OnChStop(WPARAM, LPARAM);
  LONG OnChPlay(WPARAM, LPARAM);
  LONG OnChSetBlock(WPARAM, LPARAM);
  LONG OnChSetCurrent(WPARAM, LPARAM);
  LONG OnChGetCurrent(WPARAM, LPARAM);
  LONG OnChTake(WPARAM, LPARAM);

  // The channel melody at lParam's index; null when out of range.
  IMelody* Channel(LPARAM index) const;

  static const nv::RequestThread::Entry kRequests[];

  Ui ui_;
  ObjectFactory factory_;
  std::unique_ptr<DocUi> docUi_;
  std::unique_ptr<CMelodyDoc> doc_;
  std::unique_ptr<CMelodyEditor> editor_;
  std::unique_ptr<CWholeMelodyEdits> wholeEdits_;
  std::atomic<HWND> viewWindow_{nullptr};
};
