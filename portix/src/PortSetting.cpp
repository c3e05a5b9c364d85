#include "portix/PortSetting.h"

#include <charconv>
#include <vector>

#include "platform/Registry.h"

namespace portix {

namespace {

bool ParseOption(std::string_view option, PortSetting* port) {
  const size_t equals = option.find('=');
  if (equals == std::string_view::npos) return false;
  const std::string_view name = option.substr(0, equals);
  const std::string_view value = option.substr(equals + 1);
  size_t number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (error != std::errc() || end != value.data() + value.size()) return false;
  if (name == "size") {
    port->newImageSize = number;
    return true;
  }
  if (name == "fast" && number <= 1) {
    port->fastTiming = number == 1;
    return true;
  }
  return false;
}

}  // namespace

bool PortSetting::Parse(std::string_view text, PortSetting* port) {
  *port = PortSetting();
  constexpr std::string_view kVirtual = "virtual:";
  if (!text.starts_with(kVirtual)) {
    port->kind = text.starts_with("/dev/i2c-") ? Kind::kI2c : Kind::kParallel;
    port->path = std::string(text);
    return !text.empty();
  }
  port->kind = Kind::kVirtual;
  text.remove_prefix(kVirtual.size());
  const size_t question = text.find('?');
  port->path = std::string(text.substr(0, question));
  if (port->path.empty()) return false;
  if (question == std::string_view::npos) return true;
  std::string_view options = text.substr(question + 1);
  while (!options.empty()) {
    const size_t amp = options.find('&');
    if (!ParseOption(options.substr(0, amp), port)) return false;
    if (amp == std::string_view::npos) break;
    options.remove_prefix(amp + 1);
  }
  return true;
}

std::string PortSetting::Read() {
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return kDefaultPort;
  std::string result = kDefaultPort;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueEx(key, kPortValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ && size > 1) {
    std::vector<BYTE> data(size);
    if (RegQueryValueEx(key, kPortValue, nullptr, &type, data.data(), &size) == ERROR_SUCCESS && type == REG_SZ) {
      result.assign(reinterpret_cast<const char*>(data.data()), size);
      result.resize(result.find('\0') == std::string::npos ? result.size() : result.find('\0'));
    }
  }
  RegCloseKey(key);
  return result;
}

}  // namespace portix
