// A failure raised inside a component method. The method skeleton
// (CObjectBase::Run) catches it at the method's end, installs its description
// as the thread's error information when it has one, and returns its HRESULT.
#pragma once

#include "platform/Types.h"

namespace nv {

class ComError {
 public:
  // text: UTF-8 description ending in a line feed, or null to leave the
  // thread's error information as it is (for example as a callee set it).
  ComError(HRESULT result, const char* text) : result_(result), text_(text) {}

  HRESULT result() const { return result_; }
  const char* text() const { return text_; }

 private:
  HRESULT result_;
  const char* text_;
};

// Ends the running method with result (and description text, if given).
[[noreturn]] inline void Raise(HRESULT result, const char* text = nullptr) {
  throw ComError(result, text);
}

// Raises result when it is a failure; returns it otherwise.
inline HRESULT Check(HRESULT result) {
  if (FAILED(result)) Raise(result);
  return result;
}

}  // namespace nv
