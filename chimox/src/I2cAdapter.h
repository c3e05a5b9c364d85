// A kernel I2C adapter ("/dev/i2c-N", through i2c-dev) carrying the bus
// requests of the two-wire bus library: each request becomes one I2C_RDWR
// message to the device address in its select byte. The adapter ends every
// message with a stop; a request without stop (setting the address before a
// read) therefore becomes a write followed by a current-address read, which
// the serial memories serve the same way.
#pragma once

#include <memory>
#include <string>

#include "platform/Types.h"

namespace chimox {

class I2cAdapter {
 public:
  // Null when the device cannot be opened.
  static std::unique_ptr<I2cAdapter> Open(const std::string& path);
  ~I2cAdapter();
  I2cAdapter(const I2cAdapter&) = delete;
  I2cAdapter& operator=(const I2cAdapter&) = delete;

  // Same arguments as DeviceControlIO; false on failure. A device that does
  // not answer (busy with its write cycle) is asked again for up to one second.
  bool Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength);

 private:
  explicit I2cAdapter(int fd) : fd_(fd) {}
  int fd_;
};

}  // namespace chimox
