#include "PortOverride.h"

#include <vector>

#include "ToolError.h"
#include "platform/Registry.h"
#include "portix/PortSetting.h"

namespace {

// Closes a registry key on scope exit.
class Key {
 public:
  ~Key() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  HKEY* Out() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

std::optional<std::string> ReadValue(HKEY key) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueEx(key, portix::kPortValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
    return std::nullopt;
  std::vector<BYTE> data(size + 1, 0);
  if (RegQueryValueEx(key, portix::kPortValue, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::string(reinterpret_cast<const char*>(data.data()));
}

LONG WriteValue(HKEY key, const std::string& value) {
  return RegSetValueEx(key, portix::kPortValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
}

}  // namespace

PortOverride::PortOverride(const std::string& port) {
  if (port.empty()) {
    port_ = portix::PortSetting::Read();
    return;
  }
  portix::PortSetting parsedPort;
  if (!portix::PortSetting::Parse(port, &parsedPort)) throw ToolError::Usage("--port: \"" + port + "\" is not a port");
  Key key;
  if (RegCreateKeyEx(HKEY_CURRENT_USER, portix::kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                     nullptr, key.Out(), nullptr) != ERROR_SUCCESS) {
    throw ToolError::Failed("the port setting cannot be written to the registry");
  }
  previous_ = ReadValue(key.Get());
  if (WriteValue(key.Get(), port) != ERROR_SUCCESS) {
    throw ToolError::Failed("the port setting cannot be written to the registry");
  }
  changed_ = true;
  port_ = port;
}

PortOverride::~PortOverride() {
  if (!changed_) return;
  Key key;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, portix::kSettingsKey, 0, KEY_ALL_ACCESS, key.Out()) != ERROR_SUCCESS) return;
  if (previous_) {
    WriteValue(key.Get(), *previous_);
  } else {
    RegDeleteValue(key.Get(), portix::kPortValue);
  }
}

bool PortOverride::IsVirtual() const {
  portix::PortSetting parsedPort;
  return portix::PortSetting::Parse(port_, &parsedPort) && parsedPort.kind == portix::PortSetting::Kind::kVirtual;
}
