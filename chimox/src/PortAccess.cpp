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

std::string PortAccess::FromSetting() {
  return portix::PortSetting::Read();
}

template <typename Function>
bool PortAccess::Find(const char* name, Function* function) {
  *function = reinterpret_cast<Function>(GetProcAddress(portModule_, name));
  return *function != nullptr;
}

int PortAccess::Open(const std::string& port) {
  port_ = port;
  portix::PortSetting parsed;
  if (portix::PortSetting::Parse(port, &parsed) && parsed.kind == portix::PortSetting::Kind::kI2c) {
    adapter_ = I2cAdapter::Open(parsed.path);
    return adapter_ ? 0 : kDeviceMissing;
  }
  portModule_ = LoadLibrary(BesideThisModule(PORTIX_MODULE).c_str());
  if (!portModule_) portModule_ = LoadLibrary(PORTIX_MODULE);
  PFN_PORTIXOPENPORT openPort = nullptr;
  if (!portModule_ || !Find("PortixOpenPort", &openPort) || !Find("PortixLock", &lock_) ||
      !Find("PortixUnlock", &unlock_) || !Find("PortixTransfer", &transfer_) ||
      !Find("PortixClosePort", &closePort_)) {
    Close();
    return kLibraryMissing;
  }
  // A malformed port is not refused here: it shows as a port that cannot be
  // opened when the first operation locks it.
  library_ = openPort(port.c_str());
  return 0;
}

void PortAccess::Close() {
  adapter_.reset();
  if (library_ && closePort_) closePort_(library_);
  library_ = nullptr;
  if (portModule_) FreeLibrary(portModule_);
  portModule_ = nullptr;
  lock_ = nullptr;
  unlock_ = nullptr;
  transfer_ = nullptr;
  closePort_ = nullptr;
}

portix::PortLock PortAccess::Lock(std::string* error) {
  if (adapter_) return adapter_->Lock(error);
  if (!library_) {
    *error = "cannot open " + port_;
    return portix::PortLock::kFailed;
  }
  char text[256];
  switch (lock_(library_, text, sizeof text)) {
    case ERROR_SUCCESS:
      return portix::PortLock::kHeld;
    case ERROR_BUSY:
      return portix::PortLock::kBusy;
    default:
      *error = text;
      return portix::PortLock::kFailed;
  }
}

bool PortAccess::Unlock() {
  if (adapter_) {
    adapter_->Unlock();
    return true;
  }
  return !library_ || unlock_(library_);
}

bool PortAccess::Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength) {
  if (adapter_) return adapter_->Transfer(code, input, inputLength, output, outputLength);
  DWORD returned = 0;
  return library_ && transfer_(library_, code, input, inputLength, output, outputLength, &returned);
}

void PortAccess::Pause(DWORD milliseconds) {
  Sleep(milliseconds);
}

}  // namespace chimox
