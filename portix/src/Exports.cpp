// The library's exports. A port is opened when it is first locked (or, for
// DeviceControlIO, on the first transfer from the registry's port setting)
// and kept open until it is closed: the lines keep their levels from one
// call to the next, as a claimed bus requires.
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>

#include "platform/Kernel.h"
#include "portix/PortSession.h"
#include "portix/Portix.h"

struct PortixPort {
  // Callers never overlap transfers on one port; the lock only keeps a
  // misbehaving caller from tearing the session apart.
  std::mutex mutex;
  portix::PortSetting setting;
  std::unique_ptr<portix::PortSession> session;
};

namespace {

void CopyText(const std::string& text, char* out, DWORD size) {
  if (!out || size == 0) return;
  const size_t length = std::min<size_t>(text.size(), size - 1);
  std::memcpy(out, text.data(), length);
  out[length] = '\0';
}

// Opens the port if needed and takes it; the caller holds port.mutex.
DWORD LockSession(PortixPort& port, std::string* error) {
  if (!port.session) port.session = portix::PortSession::Open(port.setting, error);
  if (!port.session) return ERROR_IO_DEVICE;
  switch (port.session->Lock(error)) {
    case portix::PortLock::kHeld:
      return ERROR_SUCCESS;
    case portix::PortLock::kBusy:
      return ERROR_BUSY;
    case portix::PortLock::kFailed:
    case portix::PortLock::kRefused:
      break;
  }
  return ERROR_IO_DEVICE;
}

BOOL TransferLocked(PortixPort& port, DWORD code, const BYTE* input, DWORD inputLength, BYTE* output,
                    DWORD outputLength, DWORD* returned) {
  if (returned) *returned = 0;
  if (!input || inputLength < 2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(port.mutex);
  // A transfer outside an operation takes the port for itself alone.
  const bool own = !port.session || !port.session->locked();
  if (own) {
    std::string error;
    const DWORD status = LockSession(port, &error);
    if (status != ERROR_SUCCESS) {
      SetLastError(status);
      return FALSE;
    }
  }
  const portix::TransferResult result = port.session->bus().Transfer(code, input, inputLength, output, outputLength);
  const bool saved = !own || port.session->Unlock();
  if (returned) *returned = result.count;
  if (!saved) {
    SetLastError(ERROR_IO_DEVICE);
    return FALSE;
  }
  SetLastError(result.lastError);
  return result.ok ? TRUE : FALSE;
}

// The port of DeviceControlIO, named by the registry when first used.
std::mutex g_defaultMutex;
std::unique_ptr<PortixPort> g_default;

}  // namespace

extern "C" PORTIX_API BOOL DeviceControlIO(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output,
                                           DWORD outputLength, DWORD* returned) {
  if (returned) *returned = 0;
  if (!input || inputLength < 2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(g_defaultMutex);
  if (!g_default) {
    auto port = std::make_unique<PortixPort>();
    if (!portix::PortSetting::Parse(portix::PortSetting::Read(), &port->setting)) {
      SetLastError(ERROR_IO_DEVICE);
      return FALSE;
    }
    g_default = std::move(port);
  }
  const BOOL ok = TransferLocked(*g_default, code, input, inputLength, output, outputLength, returned);
  // A port that could not be opened is looked up again in the setting next time.
  if (!g_default->session) g_default.reset();
  return ok;
}

extern "C" PORTIX_API void PortixClose() {
  std::lock_guard lock(g_defaultMutex);
  g_default.reset();
}

extern "C" PORTIX_API PORTIX_PORT PortixOpenPort(const char* name) {
  if (!name) return nullptr;
  auto port = std::unique_ptr<PortixPort>(new (std::nothrow) PortixPort());
  if (!port || !portix::PortSetting::Parse(name, &port->setting) ||
      port->setting.kind == portix::PortSetting::Kind::kI2c) {
    return nullptr;
  }
  return port.release();
}

extern "C" PORTIX_API DWORD PortixLock(PORTIX_PORT port, char* error, DWORD errorSize) {
  CopyText("", error, errorSize);
  if (!port) return ERROR_INVALID_HANDLE;
  std::lock_guard lock(port->mutex);
  std::string text;
  const DWORD status = LockSession(*port, &text);
  CopyText(text, error, errorSize);
  return status;
}

extern "C" PORTIX_API BOOL PortixUnlock(PORTIX_PORT port) {
  if (!port) return TRUE;
  std::lock_guard lock(port->mutex);
  return !port->session || port->session->Unlock() ? TRUE : FALSE;
}

extern "C" PORTIX_API BOOL PortixTransfer(PORTIX_PORT port, DWORD code, const BYTE* input, DWORD inputLength,
                                          BYTE* output, DWORD outputLength, DWORD* returned) {
  if (!port) {
    if (returned) *returned = 0;
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TransferLocked(*port, code, input, inputLength, output, outputLength, returned);
}

extern "C" PORTIX_API void PortixClosePort(PORTIX_PORT port) {
  delete port;  // the session unlocks and closes the port
}
