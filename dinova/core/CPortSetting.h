// The doorbell's port as the bell object finds it: the string value "Port"
// under HKEY_CURRENT_USER\Software\N&V\Chimox. "/dev/parport0" (the
// default, also when the value is missing), another "/dev/parportN", a
// kernel I2C adapter "/dev/i2c-N", or a virtual doorbell kept in an image
// file, "virtual:/path/image.bin?size=N" (the size of a new image in bytes).
// Paths and texts are UTF-8.
#pragma once

#include <string>
#include <string_view>

class CPortSetting {
 public:
  // Sizes a new virtual doorbell image may have: the version 2.0 memory and
  // the three version 2.9 memories.
  static constexpr int kImageSizes[] = {512, 16384, 32768, 65536};
  static constexpr int kDefaultImageSize = 32768;

  // The setting in force; the default port when none is stored.
  static std::string Read();
  // Stores setting; false when the registry cannot be written.
  static bool Write(const std::string& setting);

  static bool IsDefault(const std::string& setting);
  // The setting for a virtual doorbell; empty when the path cannot be
  // written into one (empty, relative, or holding '?').
  static std::string Virtual(std::string_view path, int newImageSize);
  // Whether text names a port device the bell can use: /dev/parportN or
  // /dev/i2c-N (surrounding blanks allowed).
  static bool IsDevicePath(std::string_view text);
  // A short Russian description for the window title, e.g. "виртуальный
  // звонок bell.bin" (the image's file name) or "порт /dev/i2c-1".
  static std::string Describe(const std::string& setting);
};
