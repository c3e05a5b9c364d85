// Runs of nvtool bell on different ports at the same time, and on a port
// another program holds.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "ToolRunner.h"
#include "platform/Registry.h"

namespace {

using nvtest::ToolResult;

bool PortStored() {
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\N&V\\Chimox", 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  const bool stored = RegQueryValueEx(key, "Port", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS;
  RegCloseKey(key);
  return stored;
}

TEST(BellPortsTest, RunsOnTwoPortsAtOnceEachKeepToTheirOwn) {
  nvtest::TempDir dir;
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(round);
    const std::string a = dir.file("a" + std::to_string(round) + ".bin");
    const std::string b = dir.file("b" + std::to_string(round) + ".bin");
    ToolResult writer;
    ToolResult reader;
    std::thread first([&] {
      writer = nvtest::RunTool(
          {"bell", "--version", "2.0", "--port", "virtual:" + a + "?size=512&fast=1", "mode", "manual"}, dir.path());
    });
    std::thread second([&] {
      reader = nvtest::RunTool({"bell", "--version", "2.0", "--port", "virtual:" + b + "?size=512&fast=1", "status"},
                               dir.path());
    });
    first.join();
    second.join();
    EXPECT_EQ(writer.exitCode, 0) << writer.err;
    EXPECT_EQ(reader.exitCode, 0) << reader.err;
    const std::vector<BYTE> written = nvtest::ReadBytes(a);
    ASSERT_EQ(written.size(), 512u);
    EXPECT_EQ(written[256 + 1], 1);                               // manual, in its own image
    EXPECT_EQ(nvtest::ReadBytes(b), std::vector<BYTE>(512, 0xFF));  // a status writes nothing
    EXPECT_FALSE(PortStored());
  }
}

TEST(BellPortsTest, APortAnotherProgramHoldsIsReportedBusy) {
  nvtest::TempDir dir;
  const std::string image = dir.file("bell.bin");
  const std::string port = "virtual:" + image + "?size=512&fast=1";
  ASSERT_EQ(nvtest::RunTool({"bell", "--version", "2.0", "--port", port, "status"}, dir.path()).exitCode, 0);
  const int fd = open(image.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX), 0);
  const ToolResult busy = nvtest::RunTool({"bell", "--version", "2.0", "--port", port, "clear"}, dir.path());
  EXPECT_EQ(busy.exitCode, 1);
  EXPECT_NE(busy.err.find("Порт звонка занят другой программой"), std::string::npos) << busy.err;
  close(fd);
  EXPECT_EQ(nvtest::RunTool({"bell", "--version", "2.0", "--port", port, "clear"}, dir.path()).exitCode, 0);
}

}  // namespace
