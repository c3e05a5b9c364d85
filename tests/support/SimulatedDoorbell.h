// The bell's bus port over the simulated bus and serial memory, in simulated
// time (the 10 ms page pauses move the clock instead of sleeping), with a
// count of transfers.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "BusPort.h"
#include "TempDir.h"
#include "portix/EepromModel.h"
#include "portix/SimulatedLines.h"
#include "portix/TwoWireBus.h"
#include "portix/VirtualClock.h"

namespace chimoxtest {

inline void WriteImage(const std::string& path, const std::vector<BYTE>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<BYTE> ReadImage(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SimulatedDoorbell final : public chimox::BusPort {
 public:
  // Starts from the given image contents.
  explicit SimulatedDoorbell(const std::vector<BYTE>& image) : path_(dir_.file("bell.bin")) {
    WriteImage(path_, image);
    std::string error;
    memory_ = portix::EepromModel::Open(path_, image.size(), clock_, &error);
    EXPECT_TRUE(memory_) << error;
    lines_ = std::make_unique<portix::SimulatedLines>(memory_.get());
    bus_ = std::make_unique<portix::TwoWireBus>(*lines_, clock_);
  }

  bool Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength) override {
    ++transfers_;
    return bus_->Transfer(code, input, inputLength, output, outputLength).ok;
  }
  void Pause(DWORD milliseconds) override { clock_.Advance(milliseconds * 1000); }

  const std::vector<BYTE>& bytes() const { return memory_->memory(); }
  std::vector<BYTE> file() const { return ReadImage(path_); }

  int transfers_ = 0;

 private:
  nvtest::TempDir dir_;
  std::string path_;
  portix::VirtualClock clock_;
  std::unique_ptr<portix::EepromModel> memory_;
  std::unique_ptr<portix::SimulatedLines> lines_;
  std::unique_ptr<portix::TwoWireBus> bus_;
};

}  // namespace chimoxtest
