// The lines of a real parallel port through the kernel's ppdev driver
// ("/dev/parportN"); membership of the port's group suffices, no root.
#pragma once

#include <memory>
#include <string>

#include "portix/Lines.h"

namespace portix {

class PpdevLines final : public Lines {
 public:
  // Opens and claims the port, data lines driven as outputs. Null on
  // failure with *error set.
  static std::unique_ptr<PpdevLines> Open(const std::string& path, std::string* error);
  // Releases and closes the port.
  ~PpdevLines() override;
  PpdevLines(const PpdevLines&) = delete;
  PpdevLines& operator=(const PpdevLines&) = delete;

  bool ReadData(BYTE* value) override;
  bool WriteData(BYTE value) override;
  bool ReadStatus(BYTE* value) override;

 private:
  explicit PpdevLines(int fd) : fd_(fd) {}
  int fd_;
};

}  // namespace portix
