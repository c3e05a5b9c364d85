#include "CPortSetting.h"

#include <cctype>

#include "platform/Registry.h"
#include "portix/PortSetting.h"

namespace {

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// Whether text is prefix followed by one or more decimal digits only.
bool IsNumbered(std::string_view text, std::string_view prefix) {
  if (text.size() <= prefix.size() || text.substr(0, prefix.size()) != prefix) return false;
  for (const char c : text.substr(prefix.size())) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

std::string CPortSetting::Read() {
  return portix::PortSetting::Read();
}

bool CPortSetting::Write(const std::string& setting) {
  HKEY key = nullptr;
  if (RegCreateKeyEx(HKEY_CURRENT_USER, portix::kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                     &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG result = RegSetValueEx(key, portix::kPortValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(setting.c_str()),
                                    static_cast<DWORD>(setting.size() + 1));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

bool CPortSetting::IsDefault(const std::string& setting) {
  return setting == portix::kDefaultPort;
}

std::string CPortSetting::Virtual(std::string_view path, int newImageSize) {
  const std::string_view trimmed = Trimmed(path);
  if (trimmed.empty() || trimmed.front() != '/' || trimmed.find('?') != std::string_view::npos) return {};
  return "virtual:" + std::string(trimmed) + "?size=" + std::to_string(newImageSize);
}

bool CPortSetting::IsDevicePath(std::string_view text) {
  const std::string_view trimmed = Trimmed(text);
  return IsNumbered(trimmed, "/dev/parport") || IsNumbered(trimmed, "/dev/i2c-");
}

std::string CPortSetting::Describe(const std::string& setting) {
  portix::PortSetting parsedPort;
  if (!portix::PortSetting::Parse(setting, &parsedPort)) return "неверный порт \"" + setting + "\"";
  // The image's folder would crowd the title; its name tells it apart.
  if (parsedPort.kind == portix::PortSetting::Kind::kVirtual) {
    const size_t slash = parsedPort.path.rfind('/');
    return "виртуальный звонок " + (slash == std::string::npos ? parsedPort.path : parsedPort.path.substr(slash + 1));
  }
  return "порт " + parsedPort.path;
}
