#include "I2cAdapter.h"

#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "portix/Portix.h"

namespace chimox {

std::unique_ptr<I2cAdapter> I2cAdapter::Open(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return nullptr;
  return std::unique_ptr<I2cAdapter>(new I2cAdapter(fd));
}

I2cAdapter::~I2cAdapter() {
  close(fd_);
}

bool I2cAdapter::Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength) {
  if (!input || inputLength < 2) return false;
  i2c_msg message{};
  message.addr = static_cast<__u16>(input[0] >> 1);
  if (code == IOCTL_BUS_WRITE) {
    message.flags = 0;
    message.len = static_cast<__u16>(inputLength - 2);
    message.buf = const_cast<BYTE*>(input + 2);  // the kernel only reads a write buffer
  } else if (code == IOCTL_BUS_READ) {
    if (!output || outputLength == 0) return false;
    message.flags = I2C_M_RD;
    message.len = static_cast<__u16>(outputLength);
    message.buf = output;
  } else {
    return false;
  }
  if (inputLength - 2 > 0xFFFF || outputLength > 0xFFFF) return false;
  i2c_rdwr_ioctl_data request{&message, 1};

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  for (;;) {
    if (ioctl(fd_, I2C_RDWR, &request) == 1) return true;
    // Adapters report an unanswered address as ENXIO or EREMOTEIO.
    const bool unanswered = errno == ENXIO || errno == EREMOTEIO || errno == EAGAIN;
    if (errno != EINTR && (!unanswered || std::chrono::steady_clock::now() > deadline)) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

}  // namespace chimox
