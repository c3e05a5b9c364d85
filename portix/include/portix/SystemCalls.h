// The kernel calls behind the device ports (ppdev, i2c-dev, advisory locks),
// behind one small interface so that tests can stand in for the kernel with
// a model of the doorbell's memory. Each call returns what the system call
// returns and sets errno as it does.
#pragma once

namespace portix {

class SystemCalls {
 public:
  virtual ~SystemCalls() = default;
  virtual int Open(const char* path, int flags) = 0;
  virtual int Close(int fd) = 0;
  virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;
  virtual int Flock(int fd, int operation) = 0;

  // The kernel's calls, unless a test installed its stand-in.
  static SystemCalls& Current();
  // Tests only: replaces the calls for the whole process until called again
  // with null. Must not race with ports in use.
  static void Install(SystemCalls* calls);
};

}  // namespace portix
