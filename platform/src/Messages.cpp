// Posted messages over the message-target table. Every failing call sets the
// calling thread's last error.
#include "platform/Messages.h"

#include <new>

#include "MessageTargetTable.h"
#include "platform/Kernel.h"

using nv::platform::MessageTargetTable;

namespace {

// Nothing may leave a C function: exceptions (allocation failures, or a sink
// that throws) become `failure` with the last error set.
template <class Result, class Body>
Result Guarded(Result failure, Body body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  } catch (...) {
    SetLastError(ERROR_GEN_FAILURE);
  }
  return failure;
}

}  // namespace

extern "C" {

HWND RegisterMessageTarget(MessageSink* sink) {
  if (sink == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return Guarded<HWND>(nullptr, [&] { return MessageTargetTable::Instance().Register(sink); });
}

BOOL UnregisterMessageTarget(HWND window) {
  return Guarded<BOOL>(FALSE, [&] {
    if (MessageTargetTable::Instance().Unregister(window)) return TRUE;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  });
}

BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return Guarded<BOOL>(FALSE, [&] {
    if (MessageTargetTable::Instance().Post(window, message, wParam, lParam)) return TRUE;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  });
}

BOOL IsWindow(HWND window) {
  return Guarded<BOOL>(FALSE, [&] { return MessageTargetTable::Instance().Contains(window) ? TRUE : FALSE; });
}

}  // extern "C"
