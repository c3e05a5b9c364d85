// A kernel I2C adapter ("/dev/i2c-N", through i2c-dev) carrying the bus
// requests of the two-wire bus library. A request without stop (setting the
// address before a read) is kept and sent together with the next request as
// one I2C_RDWR call, joined by a repeated start, as on the parallel port.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "portix/PortLock.h"

namespace chimox {

class I2cAdapter {
 public:
  // The doorbell memory's addresses on the bus (7-bit): block 0 and block 1.
  static constexpr unsigned kMemoryAddress = 0x50;
  static constexpr unsigned kSecondBlockAddress = 0x51;

  // Null when the device cannot be opened.
  static std::unique_ptr<I2cAdapter> Open(const std::string& path);
  ~I2cAdapter();
  I2cAdapter(const I2cAdapter&) = delete;
  I2cAdapter& operator=(const I2cAdapter&) = delete;

  // Takes the advisory lock of this adapter and the memory's address
  // (kBusy while another program has it) and makes sure no kernel driver
  // holds the memory's addresses (kRefused with *error naming adapter and
  // address: writing there would reach that driver's device).
  portix::PortLock Lock(std::string* error);
  void Unlock();

  // Same arguments as DeviceControlIO; false on failure. A device that does
  // not answer (busy with its write cycle) is asked again for up to one
  // second, unless the request asks its select byte only once.
  bool Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength);

 private:
  I2cAdapter(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  std::string LockFilePath() const;

  int fd_;
  std::string path_;
  int lockFd_ = -1;
  // A write without stop waiting for the request that continues it.
  std::vector<BYTE> pending_;
  unsigned pendingAddress_ = 0;
};

}  // namespace chimox
