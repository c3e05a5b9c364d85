// The bell's port for one run of the tool. The bell server and the bus
// library read the port from the string value "Port" under
// HKEY_CURRENT_USER\Software\N&V\Chimox when they open it; --port stores the
// given port there for the run and puts the previous value (or its absence)
// back at the end, so the setting the programs use is unchanged afterwards.
#pragma once

#include <optional>
#include <string>

class PortOverride {
 public:
  // With an empty port nothing is changed. A port the bus library would not
  // accept, or a setting that cannot be written, is a ToolError.
  explicit PortOverride(const std::string& port);
  // Restores the previous setting; failures are ignored.
  ~PortOverride();
  PortOverride(const PortOverride&) = delete;
  PortOverride& operator=(const PortOverride&) = delete;

  // The port the bell will use: the given one, else the stored setting.
  const std::string& Port() const { return port_; }
  // True for the simulated doorbell ("virtual:...").
  bool IsVirtual() const;

 private:
  std::string port_;
  bool changed_ = false;
  std::optional<std::string> previous_;
};
