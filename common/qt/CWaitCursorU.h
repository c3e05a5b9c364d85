// Shows the busy cursor over the whole application for its lifetime; the
// previous cursor comes back when it goes, also on early returns.
#pragma once

class CWaitCursorU {
 public:
  CWaitCursorU();
  virtual ~CWaitCursorU();
  CWaitCursorU(const CWaitCursorU&) = delete;
  CWaitCursorU& operator=(const CWaitCursorU&) = delete;
};
