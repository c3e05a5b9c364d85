// The library's exports. The port is opened on the first transfer, from the
// registry's port setting, and kept open between transfers: the lines keep
// their levels from one call to the next, as a claimed bus requires.
#include <memory>
#include <mutex>
#include <string>

#include "platform/Kernel.h"
#include "portix/PortSession.h"
#include "portix/Portix.h"

namespace {

std::mutex g_mutex;
std::unique_ptr<portix::PortSession> g_session;

}  // namespace

extern "C" PORTIX_API BOOL DeviceControlIO(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output,
                                           DWORD outputLength, DWORD* returned) {
  if (returned) *returned = 0;
  if (!input || inputLength < 2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // Callers never overlap transfers; the lock only keeps a misbehaving
  // caller from tearing the session apart.
  std::lock_guard lock(g_mutex);
  if (!g_session) {
    portix::PortSetting port;
    std::string error;
    if (portix::PortSetting::Parse(portix::PortSetting::Read(), &port)) {
      g_session = portix::PortSession::Open(port, &error);
    }
    if (!g_session) {
      SetLastError(ERROR_IO_DEVICE);
      return FALSE;
    }
  }
  const portix::TransferResult result = g_session->bus().Transfer(code, input, inputLength, output, outputLength);
  if (returned) *returned = result.count;
  SetLastError(result.lastError);
  return result.ok ? TRUE : FALSE;
}

extern "C" PORTIX_API void PortixClose() {
  std::lock_guard lock(g_mutex);
  g_session.reset();
}
