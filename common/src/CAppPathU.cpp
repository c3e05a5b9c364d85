#include "common/CAppPathU.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/Library.h"
#include "platform/Registry.h"

namespace {

constexpr const char* kWorkDirValue = "WorkDir";

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string CurrentDir() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE || buffer.size() > (1u << 20)) return "./";
    buffer.resize(buffer.size() * 2);
  }
  return WithSlash(buffer.data());
}

// Reads a string value of whatever length it has; false when the key or
// value is missing, is not a string or cannot be read.
bool ReadStringValue(HKEY key, const char* name, std::string& out) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueEx(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) return false;
  std::vector<BYTE> data(size + 1);
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD got = static_cast<DWORD>(data.size());
    LONG result = RegQueryValueEx(key, name, nullptr, &type, data.data(), &got);
    if (result == ERROR_MORE_DATA) {
      data.resize(got + 1);
      continue;
    }
    if (result != ERROR_SUCCESS || type != REG_SZ) return false;
    std::string text(reinterpret_cast<const char*>(data.data()), got);
    if (size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
    out = text;
    return true;
  }
  return false;
}

}  // namespace

bool CAppPathU::Start(const std::string& keyName) {
  if (keyName.empty()) return false;
  keyName_ = keyName;

  std::vector<char> buffer(4096);
  DWORD length = GetModuleFileName(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length == 0 || length >= buffer.size() - 1) return false;
  std::string program(buffer.data(), length);
  size_t slash = program.find_last_of('/');
  if (slash == std::string::npos) return false;
  programDir_ = program.substr(0, slash + 1);

  workDir_ = CurrentDir();
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, KeyPath().c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
    std::string stored;
    if (ReadStringValue(key, kWorkDirValue, stored) && !stored.empty()) workDir_ = WithSlash(stored);
    RegCloseKey(key);
  }
  return true;
}

void CAppPathU::SetWorkDir(const std::string& folder) {
  workDir_ = WithSlash(folder);
}

bool CAppPathU::Save() const {
  HKEY key = nullptr;
  if (RegCreateKeyEx(HKEY_CURRENT_USER, KeyPath().c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                     &key, nullptr) != ERROR_SUCCESS)
    return false;
  LONG result = RegSetValueEx(key, kWorkDirValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(workDir_.c_str()),
                              static_cast<DWORD>(workDir_.size() + 1));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

std::string CAppPathU::KeyPath() const {
  return "Software\\" + keyName_;
}
