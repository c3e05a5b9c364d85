#include "portix/PpdevLines.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <sys/file.h>

#include <cerrno>
#include <cstring>

#include "portix/SystemCalls.h"

namespace portix {

namespace {

std::string SystemError(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

std::unique_ptr<PpdevLines> PpdevLines::Open(const std::string& path, std::string* error) {
  const int fd = SystemCalls::Current().Open(path.c_str(), O_RDWR);
  if (fd < 0) {
    *error = SystemError("cannot open", path);
    return nullptr;
  }
  return std::unique_ptr<PpdevLines>(new PpdevLines(fd, path));
}

PpdevLines::~PpdevLines() {
  Unlock();
  SystemCalls::Current().Close(fd_);
}

PortLock PpdevLines::Lock(std::string* error) {
  SystemCalls& calls = SystemCalls::Current();
  if (calls.Flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) return PortLock::kBusy;
    *error = SystemError("cannot lock", path_);
    return PortLock::kFailed;
  }
  locked_ = true;
  if (calls.Ioctl(fd_, PPCLAIM, nullptr) != 0) {
    const int claimError = errno;
    Unlock();
    if (claimError == EBUSY) return PortLock::kBusy;
    errno = claimError;
    *error = SystemError("cannot claim", path_);
    return PortLock::kFailed;
  }
  claimed_ = true;
  int forward = 0;
  if (calls.Ioctl(fd_, PPDATADIR, &forward) != 0) {
    *error = SystemError("cannot drive the data lines of", path_);
    Unlock();
    return PortLock::kFailed;
  }
  return PortLock::kHeld;
}

void PpdevLines::Unlock() {
  SystemCalls& calls = SystemCalls::Current();
  if (claimed_) calls.Ioctl(fd_, PPRELEASE, nullptr);
  claimed_ = false;
  if (locked_) calls.Flock(fd_, LOCK_UN);
  locked_ = false;
}

bool PpdevLines::ReadData(BYTE* value) {
  unsigned char data = 0;
  if (!claimed_ || SystemCalls::Current().Ioctl(fd_, PPRDATA, &data) != 0) return false;
  *value = data;
  return true;
}

bool PpdevLines::WriteData(BYTE value) {
  unsigned char data = value;
  return claimed_ && SystemCalls::Current().Ioctl(fd_, PPWDATA, &data) == 0;
}

bool PpdevLines::ReadStatus(BYTE* value) {
  unsigned char status = 0;
  if (!claimed_ || SystemCalls::Current().Ioctl(fd_, PPRSTATUS, &status) != 0) return false;
  *value = status;
  return true;
}

}  // namespace portix
