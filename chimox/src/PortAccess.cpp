#include "PortAccess.h"

#include <string>

#include "platform/Kernel.h"
#include "portix/PortSetting.h"

namespace chimox {

namespace {

// The library lives in the same folder as this module; a program elsewhere
// (a test, a tool) would not find it beside itself.
std::string BesideThisModule(const char* fileName) {
  char path[4096];
  const DWORD length =
      GetModuleFileNameFromAddress(reinterpret_cast<const void*>(&BesideThisModule), path, sizeof path);
  if (length == 0 || length >= sizeof path - 1) return fileName;
  std::string folder(path, length);
  const size_t slash = folder.rfind('/');
  return slash == std::string::npos ? std::string(fileName) : folder.substr(0, slash + 1) + fileName;
}

}  // namespace

int PortAccess::Open() {
  const std::string setting = portix::PortSetting::Read();
  portix::PortSetting port;
  useDriver_ = portix::PortSetting::Parse(setting, &port) && port.kind == portix::PortSetting::Kind::kI2c;
  if (useDriver_) {
    driver_ = I2cAdapter::Open(port.path);
    return driver_ ? 0 : kDeviceMissing;
  }
  // The library reads the same setting itself when it opens its port on the
  // first transfer; a port it cannot open shows as failed transfers.
  portModule_ = LoadLibrary(BesideThisModule(PORTIX_MODULE).c_str());
  if (!portModule_) portModule_ = LoadLibrary(PORTIX_MODULE);
  if (!portModule_) return kLibraryMissing;
  deviceControl_ = reinterpret_cast<PFN_DEVICECONTROLIO>(GetProcAddress(portModule_, "DeviceControlIO"));
  if (!deviceControl_) {
    Close();
    return kLibraryMissing;
  }
  return 0;
}

void PortAccess::Close() {
  driver_.reset();
  if (portModule_) {
    // Lets the port go (and the next bell object open the port the setting
    // names then) before the library may be unloaded.
    if (auto close = reinterpret_cast<PFN_PORTIXCLOSE>(GetProcAddress(portModule_, "PortixClose"))) close();
    FreeLibrary(portModule_);
    portModule_ = nullptr;
  }
  deviceControl_ = nullptr;
}

bool PortAccess::Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength) {
  if (useDriver_) return driver_ && driver_->Transfer(code, input, inputLength, output, outputLength);
  DWORD returned = 0;
  return deviceControl_ && deviceControl_(code, input, inputLength, output, outputLength, &returned);
}

void PortAccess::Pause(DWORD milliseconds) {
  Sleep(milliseconds);
}

}  // namespace chimox
