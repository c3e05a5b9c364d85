#include "PortOverride.h"

#include "ToolError.h"
#include "platform/Registry.h"
#include "portix/PortSetting.h"

PortOverride::PortOverride(const std::string& port) {
  if (port.empty()) {
    port_ = portix::PortSetting::Read();
    return;
  }
  portix::PortSetting parsedPort;
  if (!portix::PortSetting::Parse(port, &parsedPort)) throw ToolError::Usage("--port: \"" + port + "\" is not a port");
  if (RegOverrideValueInProcess(HKEY_CURRENT_USER, portix::kSettingsKey, portix::kPortValue, port.c_str()) !=
      ERROR_SUCCESS) {
    throw ToolError::Failed("the port for this run cannot be set");
  }
  changed_ = true;
  port_ = port;
}

PortOverride::~PortOverride() {
  if (changed_) RegOverrideValueInProcess(HKEY_CURRENT_USER, portix::kSettingsKey, portix::kPortValue, nullptr);
}

bool PortOverride::IsVirtual() const {
  portix::PortSetting parsedPort;
  return portix::PortSetting::Parse(port_, &parsedPort) && parsedPort.kind == portix::PortSetting::Kind::kVirtual;
}
