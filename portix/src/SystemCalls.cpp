#include "portix/SystemCalls.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>

namespace portix {

namespace {

class KernelCalls final : public SystemCalls {
 public:
  int Open(const char* path, int flags) override { return open(path, flags | O_CLOEXEC); }
  int Close(int fd) override { return close(fd); }
  int Ioctl(int fd, unsigned long request, void* argument) override { return ioctl(fd, request, argument); }
  int Flock(int fd, int operation) override { return flock(fd, operation); }
};

KernelCalls g_kernel;
std::atomic<SystemCalls*> g_installed{nullptr};

}  // namespace

SystemCalls& SystemCalls::Current() {
  SystemCalls* installed = g_installed.load(std::memory_order_acquire);
  return installed ? *installed : g_kernel;
}

void SystemCalls::Install(SystemCalls* calls) {
  g_installed.store(calls, std::memory_order_release);
}

}  // namespace portix
