// The bell's port for one run of the tool. The bell server reads the port
// from the string value "Port" under HKEY_CURRENT_USER\Software\N&V\Chimox
// once, when a bell object is created; --port makes this process alone read
// the given port there and stores nothing, so the setting the programs use
// is never touched, even when the run is killed or overlaps another.
#pragma once

#include <string>

class PortOverride {
 public:
  // With an empty port nothing is changed. A port the bus library would not
  // accept, or an override the registry refuses, is a ToolError.
  explicit PortOverride(const std::string& port);
  // Drops the override for the rest of the process.
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
};
