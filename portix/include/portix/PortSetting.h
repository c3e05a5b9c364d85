// The port setting: the string value "Port" under
// HKEY_CURRENT_USER\Software\N&V\Chimox, read by both the bell server (to
// choose its path) and this library (to open its lines).
//   "/dev/parportN"                    a parallel port through ppdev (default)
//   "/dev/i2c-N"                       a kernel I2C adapter (bell server only)
//   "virtual:/path/image.bin"          the simulated doorbell in that image
//   "virtual:/path.bin?size=32768"     ... the size of a new image
//   "virtual:/path.bin?size=512&fast=1"  ... in simulated time
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace portix {

constexpr const char* kSettingsKey = "Software\\N&V\\Chimox";
constexpr const char* kPortValue = "Port";
constexpr const char* kDefaultPort = "/dev/parport0";

struct PortSetting {
  enum class Kind { kParallel, kI2c, kVirtual };
  Kind kind = Kind::kParallel;
  std::string path;
  size_t newImageSize = 32768;  // virtual only
  bool fastTiming = false;      // virtual only

  // False for a virtual port with an empty path or an unknown or malformed
  // option.
  static bool Parse(std::string_view text, PortSetting* port);
  // The registry value, or kDefaultPort when it is missing or not a string.
  static std::string Read();
};

}  // namespace portix
