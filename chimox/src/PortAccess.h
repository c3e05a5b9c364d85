// The bell object's way to the bus, fixed when the object is created from
// the string value "Port" under HKEY_CURRENT_USER\Software\N&V\Chimox (as
// this process reads it):
//   "/dev/i2c-N"      the driver path: a kernel I2C adapter;
//   anything else     the library path: the two-wire bus library, which
//                     drives a parallel port ("/dev/parportN", the default)
//                     or the virtual doorbell ("virtual:/path/image.bin").
// Each operation locks the port for its whole length, so that two programs
// (or two bell objects) never interleave their transactions on one device.
// Transfers run on whatever thread performs the operation, never two at a
// time for one bell object.
#pragma once

#include <memory>
#include <string>

#include "BusPort.h"
#include "I2cAdapter.h"
#include "platform/Library.h"
#include "portix/PortLock.h"
#include "portix/Portix.h"

namespace chimox {

class PortAccess final : public BusPort {
 public:
  // Open failure codes.
  static constexpr int kLibraryMissing = 5;  // the library or its exports cannot be found, or it refuses the port
  static constexpr int kDeviceMissing = 6;   // the I2C adapter cannot be opened

  PortAccess() = default;
  ~PortAccess() override { Close(); }
  PortAccess(const PortAccess&) = delete;
  PortAccess& operator=(const PortAccess&) = delete;

  // The port the setting names now (the default when it is missing).
  static std::string FromSetting();

  // Opens the path for this port: 0, kLibraryMissing or kDeviceMissing. The
  // library path opens the device itself only on the first lock.
  int Open(const std::string& port);
  // Failures while closing are ignored; harmless when nothing is open.
  void Close();

  // Takes the port for one operation without waiting: kHeld; kBusy while
  // another program or bell object has it; kFailed with *error set when it
  // cannot be opened or must not be written.
  portix::PortLock Lock(std::string* error);
  // Lets it go; false when something written could not be saved.
  bool Unlock();

  const std::string& port() const { return port_; }

  bool Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength) override;
  void Pause(DWORD milliseconds) override;

 private:
  template <typename Function>
  bool Find(const char* name, Function* function);

  std::string port_;
  std::unique_ptr<I2cAdapter> adapter_;
  HMODULE portModule_ = nullptr;
  PORTIX_PORT library_ = nullptr;
  PFN_PORTIXLOCK lock_ = nullptr;
  PFN_PORTIXUNLOCK unlock_ = nullptr;
  PFN_PORTIXTRANSFER transfer_ = nullptr;
  PFN_PORTIXCLOSEPORT closePort_ = nullptr;
};

}  // namespace chimox
