#include "SoundTestSupport.h"

#include <stdexcept>

#include "platform/Registry.h"

namespace soundtest {

void UseAudioDevice(const std::string& name) {
  HKEY key = nullptr;
  if (RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\N&V\\Sonvox", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                     nullptr, &key, nullptr) != ERROR_SUCCESS) {
    throw std::runtime_error("cannot create the Sonvox settings key");
  }
  const LONG rc = RegSetValueEx(key, "AudioDevice", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                                static_cast<DWORD>(name.size() + 1));
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) throw std::runtime_error("cannot set AudioDevice");
}

}  // namespace soundtest
