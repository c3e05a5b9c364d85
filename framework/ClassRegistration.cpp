#include "ClassRegistration.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Library.h"
#include "platform/Registry.h"

namespace nv {

namespace {

// An open registry key, closed on destruction.
class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  bool create(const std::string& path) {
    return RegCreateKeyEx(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                          &key_, nullptr) == ERROR_SUCCESS;
  }

  // Stores text with its terminating NUL as REG_SZ; name null is the default value.
  bool setText(const char* name, const std::string& text) {
    return RegSetValueEx(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
  }

 private:
  HKEY key_ = nullptr;
};

bool CreateKeyWithText(const std::string& path, const char* name, const std::string& text) {
  RegistryKey key;
  return key.create(path) && key.setText(name, text);
}

// The full path of the module this code is linked into, found from an address
// inside it, so a renamed file still registers itself. Empty on failure.
std::string OwnModulePath() {
  std::vector<char> buffer(1024);
  for (;;) {
    const DWORD length = GetModuleFileNameFromAddress(reinterpret_cast<const void*>(&OwnModulePath), buffer.data(),
                                                      static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size() - 1) return std::string(buffer.data(), length);
    if (buffer.size() >= (1u << 16)) return {};
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

std::string FormatClassId(REFCLSID clsid) {
  char text[39];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", clsid.Data1, clsid.Data2,
                clsid.Data3, clsid.Data4[0], clsid.Data4[1], clsid.Data4[2], clsid.Data4[3], clsid.Data4[4],
                clsid.Data4[5], clsid.Data4[6], clsid.Data4[7]);
  return text;
}

HRESULT UpdateClassRegistration(REFCLSID clsid, const char* progId, BOOL flag) {
  try {
    const std::string id = FormatClassId(clsid);
    const std::string prog = progId;
    const std::string classKey = "CLSID\\" + id;
    const std::string serverKey = classKey + "\\InprocServer32";

    if (!flag) {
      for (const std::string& key : {prog + "\\CLSID", prog, serverKey, classKey}) {
        if (RegDeleteKey(HKEY_CLASSES_ROOT, key.c_str()) != ERROR_SUCCESS) return E_UNEXPECTED;
      }
      return S_OK;
    }

    if (!CreateKeyWithText(prog + "\\CLSID", nullptr, id)) return E_UNEXPECTED;
    if (!CreateKeyWithText(classKey, nullptr, prog)) return E_UNEXPECTED;
    const std::string path = OwnModulePath();
    if (path.empty()) return E_UNEXPECTED;
    RegistryKey server;
    if (!server.create(serverKey) || !server.setText(nullptr, path) || !server.setText("ThreadingModel", "Free")) {
      return E_UNEXPECTED;
    }
    return S_OK;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace nv
