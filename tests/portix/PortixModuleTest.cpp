// The library as the bell server loads it: the port chosen by the registry,
// opened on the first transfer, results reported through the last error.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TempDir.h"
#include "platform/Kernel.h"
#include "platform/Library.h"
#include "platform/Registry.h"
#include "portix/PortSetting.h"
#include "portix/Portix.h"

namespace {

// The program folder from the test environment, else the one this build wrote.
std::string ModuleDir() {
  const std::string dir = nvtest::BinDir();
  return dir.empty() ? NV_TEST_BIN_DIR : dir;
}

void SetPort(const std::string& port) {
  HKEY key = nullptr;
  ASSERT_EQ(
      RegCreateKeyEx(HKEY_CURRENT_USER, portix::kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
      ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(key, portix::kPortValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(port.c_str()),
                          static_cast<DWORD>(port.size() + 1)),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

class PortixModule : public testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibrary((ModuleDir() + "/" + PORTIX_MODULE).c_str());
    ASSERT_NE(module_, nullptr);
    control_ = reinterpret_cast<PFN_DEVICECONTROLIO>(GetProcAddress(module_, "DeviceControlIO"));
    close_ = reinterpret_cast<PFN_PORTIXCLOSE>(GetProcAddress(module_, "PortixClose"));
    ASSERT_NE(control_, nullptr);
    ASSERT_NE(close_, nullptr);
  }
  void TearDown() override {
    if (close_) close_();
    if (module_) FreeLibrary(module_);
  }

  BOOL Call(DWORD code, std::vector<BYTE> request, BYTE* out, DWORD outLength, DWORD* returned) {
    return control_(code, request.data(), static_cast<DWORD>(request.size()), out, outLength, returned);
  }

  nvtest::TempDir dir_;
  HMODULE module_ = nullptr;
  PFN_DEVICECONTROLIO control_ = nullptr;
  PFN_PORTIXCLOSE close_ = nullptr;
};

TEST_F(PortixModule, TransfersReachTheVirtualDoorbellNamedInTheRegistry) {
  const std::string image = dir_.file("bell.bin");
  SetPort("virtual:" + image + "?size=512&fast=1");
  DWORD returned = 99;
  EXPECT_FALSE(Call(IOCTL_BUS_WRITE, {0xA0}, nullptr, 0, &returned));  // refused before the port opens
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(returned, 0u);
  EXPECT_FALSE(std::filesystem::exists(image));
  ASSERT_TRUE(Call(IOCTL_BUS_WRITE, {0xA2, 1, 0x10, 7, 8}, nullptr, 0, &returned));
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(returned, 3u);
  EXPECT_EQ(std::filesystem::file_size(image), 512u);

  ASSERT_TRUE(Call(IOCTL_BUS_WRITE, {0xA2, 0, 0x10}, nullptr, 0, nullptr));  // no count wanted
  BYTE out[2] = {};
  ASSERT_TRUE(Call(IOCTL_BUS_READ, {0xA3, 1}, out, 2, &returned));
  EXPECT_EQ(returned, 2u);
  EXPECT_EQ(out[0], 7);
  EXPECT_EQ(out[1], 8);
}

TEST_F(PortixModule, PortThatCannotBeOpenedIsADeviceErrorUntilReopened) {
  for (const std::string& port : {dir_.file("no-such-parport"), std::string("virtual:"), std::string("/dev/i2c-7"),
                                  "virtual:" + dir_.file("x.bin") + "?size=1000"}) {
    SCOPED_TRACE(port);
    SetPort(port);
    DWORD returned = 99;
    EXPECT_FALSE(Call(IOCTL_BUS_WRITE, {0xA0, 1, 0}, nullptr, 0, &returned));
    EXPECT_EQ(GetLastError(), ERROR_IO_DEVICE);
    EXPECT_EQ(returned, 0u);
  }
  SetPort("virtual:" + dir_.file("bell.bin") + "?fast=1");
  EXPECT_TRUE(Call(IOCTL_BUS_WRITE, {0xA0, 1, 0, 0}, nullptr, 0, nullptr));  // no close needed after a failure

  SetPort(dir_.file("no-such-parport"));
  EXPECT_TRUE(Call(IOCTL_BUS_WRITE, {0xA0, 1, 0, 0}, nullptr, 0, nullptr));  // still the open port
  close_();
  EXPECT_FALSE(Call(IOCTL_BUS_WRITE, {0xA0, 1, 0, 0}, nullptr, 0, nullptr));
}

TEST(PortSetting, PortStringsParse) {
  using Kind = portix::PortSetting::Kind;
  const struct {
    const char* text;
    bool ok;
    Kind kind;
    const char* path;
    size_t size;
    bool fast;
  } cases[] = {
      {"/dev/parport0", true, Kind::kParallel, "/dev/parport0", 32768, false},
      {"/dev/i2c-3", true, Kind::kI2c, "/dev/i2c-3", 32768, false},
      {"virtual:/tmp/a.bin", true, Kind::kVirtual, "/tmp/a.bin", 32768, false},
      {"virtual:/tmp/a.bin?size=512", true, Kind::kVirtual, "/tmp/a.bin", 512, false},
      {"virtual:/tmp/a.bin?fast=1&size=65536", true, Kind::kVirtual, "/tmp/a.bin", 65536, true},
      {"virtual:", false, Kind::kVirtual, "", 32768, false},
      {"virtual:/a?size=12x", false, Kind::kVirtual, "/a", 32768, false},
      {"", false, Kind::kParallel, "", 32768, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    portix::PortSetting port;
    ASSERT_EQ(portix::PortSetting::Parse(c.text, &port), c.ok);
    EXPECT_EQ(port.kind, c.kind);
    EXPECT_EQ(port.path, c.path);
    if (c.ok) {
      EXPECT_EQ(port.newImageSize, c.size);
      EXPECT_EQ(port.fastTiming, c.fast);
    }
  }
}

}  // namespace
