#include "I2cAdapter.h"

#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "portix/Portix.h"
#include "portix/SystemCalls.h"

namespace chimox {

namespace {

std::string AddressText(unsigned address) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", address);
  return text;
}

}  // namespace

std::unique_ptr<I2cAdapter> I2cAdapter::Open(const std::string& path) {
  const int fd = portix::SystemCalls::Current().Open(path.c_str(), O_RDWR);
  if (fd < 0) return nullptr;
  return std::unique_ptr<I2cAdapter>(new I2cAdapter(fd, path));
}

I2cAdapter::~I2cAdapter() {
  Unlock();
  portix::SystemCalls::Current().Close(fd_);
}

std::string I2cAdapter::LockFilePath() const {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string folder = runtime && *runtime ? runtime : "/tmp";
  const size_t slash = path_.rfind('/');
  const std::string adapter = slash == std::string::npos ? path_ : path_.substr(slash + 1);
  return folder + "/nv-doorbell-" + adapter + "-" + AddressText(kMemoryAddress) + ".lock";
}

portix::PortLock I2cAdapter::Lock(std::string* error) {
  if (lockFd_ >= 0) return portix::PortLock::kHeld;
  const std::string lockPath = LockFilePath();
  const int lockFd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (lockFd < 0) {
    *error = "Нет доступа к файлу блокировки " + lockPath;
    return portix::PortLock::kFailed;
  }
  if (flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
    const bool busy = errno == EWOULDBLOCK;
    close(lockFd);
    if (busy) return portix::PortLock::kBusy;
    *error = "Нет доступа к файлу блокировки " + lockPath;
    return portix::PortLock::kFailed;
  }
  lockFd_ = lockFd;
  // I2C_RDWR reaches any address, also one a kernel driver has bound (on a
  // display's DDC bus 0x50 is its EDID memory). Asking for the address
  // without force is refused exactly then.
  for (const unsigned address : {kMemoryAddress, kSecondBlockAddress}) {
    if (portix::SystemCalls::Current().Ioctl(fd_, I2C_SLAVE, reinterpret_cast<void*>(uintptr_t{address})) != 0) {
      const bool bound = errno == EBUSY;
      *error = bound ? "Адрес " + AddressText(address) + " на шине " + path_ + " занят драйвером ядра"
                     : "Шина " + path_ + " не принимает адрес " + AddressText(address);
      Unlock();
      return bound ? portix::PortLock::kRefused : portix::PortLock::kFailed;
    }
  }
  return portix::PortLock::kHeld;
}

void I2cAdapter::Unlock() {
  pending_.clear();
  if (lockFd_ < 0) return;
  flock(lockFd_, LOCK_UN);
  close(lockFd_);
  lockFd_ = -1;
}

bool I2cAdapter::Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength) {
  if (!input || inputLength < 2 || inputLength - 2 > 0xFFFF || outputLength > 0xFFFF) return false;
  const unsigned address = input[0] >> 1;
  i2c_msg messages[2]{};
  unsigned count = 0;
  if (!pending_.empty()) {
    // The address setting before this request: joined by a repeated start.
    messages[count++] = {static_cast<__u16>(pendingAddress_), 0, static_cast<__u16>(pending_.size()), pending_.data()};
  }
  if (code == IOCTL_BUS_WRITE) {
    // The kernel only reads a write buffer.
    messages[count++] = {static_cast<__u16>(address), 0, static_cast<__u16>(inputLength - 2),
                         const_cast<BYTE*>(input + 2)};
  } else if (code == IOCTL_BUS_READ) {
    if (!output || outputLength == 0) return false;
    messages[count++] = {static_cast<__u16>(address), I2C_M_RD, static_cast<__u16>(outputLength), output};
  } else {
    pending_.clear();
    return false;
  }
  if (code == IOCTL_BUS_WRITE && input[1] == 0 && count == 1) {
    // No stop: the next request continues this transaction.
    pending_.assign(input + 2, input + inputLength);
    pendingAddress_ = address;
    return true;
  }
  const std::vector<BYTE> held = std::move(pending_);
  pending_.clear();
  if (!held.empty()) messages[0].buf = const_cast<BYTE*>(held.data());
  i2c_rdwr_ioctl_data request{messages, count};

  const bool selectOnce = input[1] == BUS_STOP_SELECT_ONCE;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  for (;;) {
    if (portix::SystemCalls::Current().Ioctl(fd_, I2C_RDWR, &request) == static_cast<int>(count)) return true;
    // Adapters report an unanswered address as ENXIO or EREMOTEIO.
    const bool unanswered = errno == ENXIO || errno == EREMOTEIO || errno == EAGAIN;
    if (errno != EINTR && (!unanswered || selectOnce || std::chrono::steady_clock::now() > deadline)) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

}  // namespace chimox
