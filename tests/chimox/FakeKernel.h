// A stand-in for the kernel's ppdev and i2c-dev drivers, installed through
// the system-call seam: "/dev/parport0" is a parallel port whose lines reach
// the simulated serial memory, "/dev/i2c-3" an I2C adapter that runs each
// I2C_RDWR call on the same memory bit by bit, joining messages with
// repeated starts. Real time throughout, so the memory's write cycle passes
// as it does on the hardware.
#pragma once

#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <linux/ppdev.h>
#include <sys/file.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "SimulatedDoorbell.h"
#include "portix/RealClock.h"
#include "portix/SystemCalls.h"

namespace chimoxtest {

class FakeKernel final : public portix::SystemCalls {
 public:
  static constexpr int kParport = 1000;
  static constexpr int kAdapter = 1001;
  // Status register bits a real port shows besides the two lines (error,
  // select, paper out): the bus code must look at its two bits only.
  static constexpr BYTE kOtherStatusBits = 0x38;

  explicit FakeKernel(const std::vector<BYTE>& image) : path_(dir_.file("chip.bin")) {
    // The adapter's lock file is a real one: each test process its own.
    setenv("XDG_RUNTIME_DIR", dir_.path().c_str(), 1);
    WriteImage(path_, image);
    std::string error;
    memory_ = portix::EepromModel::Open(path_, image.size(), clock_, &error);
    EXPECT_TRUE(memory_) << error;
    memory_->CheckTiming(true);
    portLines_ = std::make_unique<portix::SimulatedLines>(memory_.get());
    adapterLines_ = std::make_unique<portix::SimulatedLines>(memory_.get());
    adapterBus_ = std::make_unique<portix::TwoWireBus>(*adapterLines_, clock_);
    portix::SystemCalls::Install(this);
  }
  ~FakeKernel() override { portix::SystemCalls::Install(nullptr); }

  std::vector<BYTE> image() const { return memory_->memory(); }
  size_t timingViolations() const { return memory_->timingViolations(); }

  // Faults and other users.
  bool claimedElsewhere = false;       // PPCLAIM answers EBUSY
  std::set<unsigned> boundAddresses;   // I2C_SLAVE answers EBUSY
  int rdwrCalls = 0;
  int repeatedStarts = 0;
  int unanswered = 0;                  // I2C_RDWR calls ended by a NACK

  int Open(const char* path, int /*flags*/) override {
    if (std::strcmp(path, "/dev/parport0") == 0) return kParport;
    if (std::strcmp(path, "/dev/i2c-3") == 0) return kAdapter;
    errno = ENOENT;
    return -1;
  }
  int Close(int /*fd*/) override { return 0; }
  int Flock(int /*fd*/, int /*operation*/) override { return 0; }

  int Ioctl(int fd, unsigned long request, void* argument) override {
    if (fd == kParport) return Parport(request, static_cast<unsigned char*>(argument));
    if (fd == kAdapter) return Adapter(request, argument);
    return Fail(EBADF);
  }

 private:
  static int Fail(int error) {
    errno = error;
    return -1;
  }

  int Parport(unsigned long request, unsigned char* value) {
    switch (request) {
      case PPCLAIM:
        if (claimedElsewhere) return Fail(EBUSY);
        claimed_ = true;
        return 0;
      case PPRELEASE:
        claimed_ = false;
        return 0;
      case PPDATADIR:
        return *reinterpret_cast<int*>(value) == 0 ? 0 : Fail(EINVAL);
      default:
        break;
    }
    if (!claimed_) return Fail(EINVAL);
    BYTE byte = 0;
    switch (request) {
      case PPWDATA:
        portLines_->WriteData(*value);
        return 0;
      case PPRDATA:
        portLines_->ReadData(&byte);
        *value = byte;
        return 0;
      case PPRSTATUS:
        portLines_->ReadStatus(&byte);
        *value = static_cast<unsigned char>(byte | kOtherStatusBits);
        return 0;
      default:
        return Fail(ENOTTY);
    }
  }

  int Adapter(unsigned long request, void* argument) {
    if (request == I2C_SLAVE) {
      return boundAddresses.count(static_cast<unsigned>(reinterpret_cast<uintptr_t>(argument))) ? Fail(EBUSY) : 0;
    }
    if (request != I2C_RDWR) return Fail(ENOTTY);
    ++rdwrCalls;
    const auto* data = static_cast<const i2c_rdwr_ioctl_data*>(argument);
    using portix::BusResult;
    for (unsigned m = 0; m < data->nmsgs; ++m) {
      const i2c_msg& message = data->msgs[m];
      if (m > 0) ++repeatedStarts;
      const bool read = message.flags & I2C_M_RD;
      if (adapterBus_->Start() != BusResult::kOk) return Fail(EIO);
      const BusResult select = adapterBus_->SendByte(static_cast<BYTE>(message.addr << 1 | (read ? 1 : 0)));
      if (select != BusResult::kOk) return Abort(select == BusResult::kNoAck ? ENXIO : EIO);
      for (unsigned i = 0; i < message.len; ++i) {
        const BusResult result = read ? adapterBus_->ReceiveByte(&message.buf[i], i + 1 == message.len)
                                      : adapterBus_->SendByte(message.buf[i]);
        if (result != BusResult::kOk) return Abort(result == BusResult::kNoAck ? EREMOTEIO : EIO);
      }
    }
    if (adapterBus_->Stop() != portix::BusResult::kOk) return Fail(EIO);
    return static_cast<int>(data->nmsgs);
  }

  int Abort(int error) {
    ++unanswered;
    adapterBus_->Stop();
    return Fail(error);
  }

  nvtest::TempDir dir_;
  std::string path_;
  portix::RealClock clock_;
  std::unique_ptr<portix::EepromModel> memory_;
  std::unique_ptr<portix::SimulatedLines> portLines_;
  std::unique_ptr<portix::SimulatedLines> adapterLines_;
  std::unique_ptr<portix::TwoWireBus> adapterBus_;
  bool claimed_ = false;
};

}  // namespace chimoxtest
