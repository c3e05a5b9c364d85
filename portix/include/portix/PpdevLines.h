// The lines of a real parallel port through the kernel's ppdev driver
// ("/dev/parportN"); membership of the port's group suffices, no root.
// The port is opened once and claimed only for the length of an operation,
// so that programs take turns on it.
#pragma once

#include <memory>
#include <string>

#include "portix/Lines.h"
#include "portix/PortLock.h"

namespace portix {

class PpdevLines final : public Lines {
 public:
  // Opens the port without claiming it. Null on failure with *error set.
  static std::unique_ptr<PpdevLines> Open(const std::string& path, std::string* error);
  // Releases a claim still held and closes the port.
  ~PpdevLines() override;
  PpdevLines(const PpdevLines&) = delete;
  PpdevLines& operator=(const PpdevLines&) = delete;

  // Takes the advisory lock on the port (another of our programs holds it:
  // kBusy), claims it (another ppdev user holds it: kBusy) and drives the
  // data lines as outputs. kFailed with *error set when the port refuses.
  PortLock Lock(std::string* error);
  // Releases the claim and the lock; harmless when not held.
  void Unlock();

  bool ReadData(BYTE* value) override;
  bool WriteData(BYTE value) override;
  bool ReadStatus(BYTE* value) override;

 private:
  PpdevLines(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  int fd_;
  std::string path_;
  bool claimed_ = false;
  bool locked_ = false;
};

}  // namespace portix
