// A simulated bus with a serial memory image in a fresh folder, in
// simulated time.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"
#include "portix/EepromModel.h"
#include "portix/Portix.h"
#include "portix/SimulatedLines.h"
#include "portix/TwoWireBus.h"
#include "portix/VirtualClock.h"

namespace portixtest {

class BusFixture {
 public:
  explicit BusFixture(size_t size) : path_(dir_.file("image.bin")) { Attach(size); }

  void Attach(size_t size) {
    std::string error;
    memory_ = portix::EepromModel::Open(path_, size, clock_, &error);
    ASSERT_TRUE(memory_) << error;
    lines_ = std::make_unique<portix::SimulatedLines>(memory_.get());
    bus_ = std::make_unique<portix::TwoWireBus>(*lines_, clock_);
  }

  portix::TransferResult Write(BYTE select, std::vector<BYTE> payload, bool stop = true) {
    payload.insert(payload.begin(), {select, static_cast<BYTE>(stop ? 1 : 0)});
    const std::vector<BYTE>& request = payload;
    return bus_->Transfer(IOCTL_BUS_WRITE, request.data(), static_cast<DWORD>(request.size()), nullptr, 0);
  }

  portix::TransferResult Read(BYTE select, std::vector<BYTE>* out, bool stop = true) {
    const BYTE request[2] = {select, static_cast<BYTE>(stop ? 1 : 0)};
    return bus_->Transfer(IOCTL_BUS_READ, request, 2, out->data(), static_cast<DWORD>(out->size()));
  }

  // Milliseconds of simulated time since the mark.
  double MillisecondsSince(LONGLONG mark) { return static_cast<double>(clock_.Counter() - mark) / 1e6; }

  nvtest::TempDir dir_;
  std::string path_;
  portix::VirtualClock clock_;
  std::unique_ptr<portix::EepromModel> memory_;
  std::unique_ptr<portix::SimulatedLines> lines_;
  std::unique_ptr<portix::TwoWireBus> bus_;
};

}  // namespace portixtest
