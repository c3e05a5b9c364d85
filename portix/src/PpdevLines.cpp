#include "portix/PpdevLines.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace portix {

std::unique_ptr<PpdevLines> PpdevLines::Open(const std::string& path, std::string* error) {
  const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    *error = "cannot open " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  if (ioctl(fd, PPCLAIM) != 0) {
    *error = "cannot claim " + path + ": " + std::strerror(errno);
    close(fd);
    return nullptr;
  }
  int forward = 0;
  if (ioctl(fd, PPDATADIR, &forward) != 0) {
    *error = "cannot drive the data lines of " + path + ": " + std::strerror(errno);
    ioctl(fd, PPRELEASE);
    close(fd);
    return nullptr;
  }
  return std::unique_ptr<PpdevLines>(new PpdevLines(fd));
}

PpdevLines::~PpdevLines() {
  ioctl(fd_, PPRELEASE);
  close(fd_);
}

bool PpdevLines::ReadData(BYTE* value) {
  unsigned char data = 0;
  if (ioctl(fd_, PPRDATA, &data) != 0) return false;
  *value = data;
  return true;
}

bool PpdevLines::WriteData(BYTE value) {
  unsigned char data = value;
  return ioctl(fd_, PPWDATA, &data) == 0;
}

bool PpdevLines::ReadStatus(BYTE* value) {
  unsigned char status = 0;
  if (ioctl(fd_, PPRSTATUS, &status) != 0) return false;
  *value = status;
  return true;
}

}  // namespace portix
