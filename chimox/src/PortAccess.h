// The bell object's way to the bus, chosen when it opens its port from the
// string value "Port" under HKEY_CURRENT_USER\Software\N&V\Chimox:
//   "/dev/i2c-N"      the driver path: a kernel I2C adapter;
//   anything else     the library path: the two-wire bus library, which
//                     drives a parallel port ("/dev/parportN", the default)
//                     or the virtual doorbell ("virtual:/path/image.bin").
// Transfers run on whatever thread performs the operation, never two at a
// time for one bell object.
#pragma once

#include <memory>

#include "BusPort.h"
#include "I2cAdapter.h"
#include "platform/Library.h"
#include "portix/Portix.h"

namespace chimox {

class PortAccess final : public BusPort {
 public:
  // Open failure codes.
  static constexpr int kLibraryMissing = 5;  // the library or its export cannot be found
  static constexpr int kDeviceMissing = 6;   // the I2C adapter cannot be opened

  PortAccess() = default;
  ~PortAccess() override { Close(); }
  PortAccess(const PortAccess&) = delete;
  PortAccess& operator=(const PortAccess&) = delete;

  // Opens the path the port setting names: 0, kLibraryMissing or kDeviceMissing.
  int Open();
  // Failures while closing are ignored; harmless when nothing is open.
  void Close();

  bool Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength) override;
  void Pause(DWORD milliseconds) override;

 private:
  bool useDriver_ = false;
  std::unique_ptr<I2cAdapter> driver_;
  HMODULE portModule_ = nullptr;
  PFN_DEVICECONTROLIO deviceControl_ = nullptr;
};

}  // namespace chimox
