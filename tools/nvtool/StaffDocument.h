// The document side of an off-screen staff view: a thread that serves the
// melody editor's drawing requests (note count, name, drawing) for one
// melody, so that the editor's own view draws it exactly as on screen.
#pragma once

#include "common/RequestThread.h"
#include "sonvox/Sonvox.h"

class StaffDocument {
 public:
  // Holds a reference on melody until destruction.
  explicit StaffDocument(IMelody* melody);
  // Ends the thread and releases the melody.
  ~StaffDocument();
  StaffDocument(const StaffDocument&) = delete;
  StaffDocument& operator=(const StaffDocument&) = delete;

  // Starts serving; false when the thread cannot start.
  bool Start();
  nv::RequestThread& Thread() { return thread_; }

 private:
  static const nv::RequestThread::Entry kRequests[];

  LONG OnGetName(WPARAM wParam, LPARAM lParam);
  LONG OnGetCount(WPARAM wParam, LPARAM lParam);
  LONG OnGetCurrent(WPARAM wParam, LPARAM lParam);
  LONG OnDraw(WPARAM wParam, LPARAM lParam);

  IMelody* melody_;
  nv::RequestThread thread_;
};
