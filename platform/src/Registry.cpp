// The registry calls over the two stores. An open key is a heap record of
// its store and path, known to a table so that a stale or foreign handle is
// refused instead of followed.
#include "platform/Registry.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

#include "RegistryStore.h"

using nv::platform::RegistryKey;
using nv::platform::RegistryStore;
using nv::platform::RegistryTree;

namespace {

struct OpenKey {
  RegistryStore* store;
  std::string path;
};

std::mutex gKeysMutex;
std::unordered_set<const OpenKey*>& OpenKeys() {
  static auto* keys = new std::unordered_set<const OpenKey*>();  // outlives static destructors
  return *keys;
}

// The store and path of a root or open key; false for anything else.
bool Resolve(HKEY key, RegistryStore*& store, std::string& path) {
  if (key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER) {
    store = key == HKEY_CLASSES_ROOT ? &RegistryStore::ClassesRoot() : &RegistryStore::CurrentUser();
    path.clear();
    return true;
  }
  std::lock_guard lock(gKeysMutex);
  const auto* open = reinterpret_cast<const OpenKey*>(key);
  if (!key || !OpenKeys().count(open)) return false;
  store = open->store;
  path = open->path;
  return true;
}

LONG NewHandle(RegistryStore* store, std::string path, HKEY* result) {
  auto* open = new (std::nothrow) OpenKey{store, std::move(path)};
  if (!open) return ERROR_NOT_ENOUGH_MEMORY;
  try {
    std::lock_guard lock(gKeysMutex);
    OpenKeys().insert(open);
  } catch (const std::bad_alloc&) {
    delete open;
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  *result = reinterpret_cast<HKEY>(open);
  return ERROR_SUCCESS;
}

// Process-local values: (store, folded key path, folded value name) -> data.
struct OverrideKey {
  const RegistryStore* store;
  std::string path;
  std::string name;
  auto operator<=>(const OverrideKey&) const = default;
};
std::mutex gOverridesMutex;
std::map<OverrideKey, std::vector<BYTE>>& Overrides() {
  static auto* overrides = new std::map<OverrideKey, std::vector<BYTE>>();  // outlives static destructors
  return *overrides;
}

bool FindOverride(const RegistryStore* store, const std::string& path, LPCSTR name, std::vector<BYTE>* data) {
  std::lock_guard lock(gOverridesMutex);
  if (Overrides().empty()) return false;
  const auto found = Overrides().find({store, RegistryTree::Fold(path), RegistryTree::Fold(name ? name : "")});
  if (found == Overrides().end()) return false;
  *data = found->second;
  return true;
}

bool KeyHasOverride(const RegistryStore* store, const std::string& path) {
  std::lock_guard lock(gOverridesMutex);
  const std::string folded = RegistryTree::Fold(path);
  for (const auto& [key, data] : Overrides()) {
    if (key.store == store && key.path == folded) return true;
  }
  return false;
}

// Control characters would break the line structure of the stored text.
bool IsValidName(std::string_view name) {
  return std::none_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// Joins the key's path and a subkey path; false for an invalid subkey name.
bool SubPath(const std::string& base, LPCSTR subKey, std::string& out) {
  const std::string sub = RegistryTree::NormalisePath(subKey ? subKey : "");
  if (!IsValidName(sub)) return false;
  out = base.empty() || sub.empty() ? base + sub : base + "\\" + sub;
  return true;
}

}  // namespace

extern "C" {

LONG RegCreateKeyEx(HKEY key, LPCSTR subKey, DWORD /*reserved*/, LPSTR /*keyClass*/, DWORD /*options*/,
                    REGSAM /*access*/, void* /*security*/, HKEY* result, DWORD* disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  RegistryStore* store = nullptr;
  std::string base, path;
  if (!Resolve(key, store, base)) return ERROR_INVALID_HANDLE;
  if (!SubPath(base, subKey, path)) return ERROR_INVALID_PARAMETER;
  bool created = false;
  LONG status =
      store->Read([&](const RegistryTree& tree) { return tree.Find(path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND; });
  if (status == ERROR_FILE_NOT_FOUND) {
    status = store->Write([&](RegistryTree& tree) {
      created = tree.Create(path);
      return ERROR_SUCCESS;
    });
  }
  if (status != ERROR_SUCCESS) return status;
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return NewHandle(store, std::move(path), result);
}

LONG RegOpenKeyEx(HKEY key, LPCSTR subKey, DWORD /*options*/, REGSAM /*access*/, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  RegistryStore* store = nullptr;
  std::string base, path;
  if (!Resolve(key, store, base)) return ERROR_INVALID_HANDLE;
  if (!SubPath(base, subKey, path)) return ERROR_FILE_NOT_FOUND;
  const LONG status =
      store->Read([&](const RegistryTree& tree) { return tree.Find(path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND; });
  if (status != ERROR_SUCCESS && !(status == ERROR_FILE_NOT_FOUND && KeyHasOverride(store, path))) return status;
  return NewHandle(store, std::move(path), result);
}

LONG RegQueryValueEx(HKEY key, LPCSTR name, DWORD* /*reserved*/, DWORD* type, BYTE* data, DWORD* size) {
  if (data && !size) return ERROR_INVALID_PARAMETER;
  RegistryStore* store = nullptr;
  std::string path;
  if (!Resolve(key, store, path)) return ERROR_INVALID_HANDLE;
  auto answer = [&](DWORD valueType, const std::vector<BYTE>& bytes) -> LONG {
    if (type) *type = valueType;
    const auto needed = static_cast<DWORD>(bytes.size());
    if (!data) {
      if (size) *size = needed;
      return ERROR_SUCCESS;
    }
    if (*size < needed) {
      *size = needed;
      return ERROR_MORE_DATA;
    }
    std::copy(bytes.begin(), bytes.end(), data);
    *size = needed;
    return ERROR_SUCCESS;
  };
  std::vector<BYTE> overridden;
  if (FindOverride(store, path, name, &overridden)) return answer(REG_SZ, overridden);
  return store->Read([&](const RegistryTree& tree) -> LONG {
    const RegistryKey* found = tree.Find(path);
    const auto* value = found ? RegistryTree::FindValue(*found, name ? name : "") : nullptr;
    if (!value) return ERROR_FILE_NOT_FOUND;
    return answer(value->type, value->data);
  });
}

LONG RegSetValueEx(HKEY key, LPCSTR name, DWORD /*reserved*/, DWORD type, const BYTE* data, DWORD size) {
  if ((!data && size) || !IsValidName(name ? name : "")) return ERROR_INVALID_PARAMETER;
  std::vector<BYTE> bytes;
  switch (type) {
    case REG_SZ:
    case REG_BINARY:
      bytes.assign(data, data + size);
      break;
    case REG_DWORD:
      if (size < 4) return ERROR_INVALID_PARAMETER;
      bytes.assign(data, data + 4);
      break;
    default:
      return ERROR_INVALID_PARAMETER;
  }
  RegistryStore* store = nullptr;
  std::string path;
  if (!Resolve(key, store, path)) return ERROR_INVALID_HANDLE;
  return store->Write([&](RegistryTree& tree) -> LONG {
    RegistryKey* found = tree.Find(path);
    if (!found) return ERROR_KEY_DELETED;
    RegistryTree::SetValue(*found, name ? name : "", type, bytes);
    return ERROR_SUCCESS;
  });
}

LONG RegDeleteValue(HKEY key, LPCSTR name) {
  RegistryStore* store = nullptr;
  std::string path;
  if (!Resolve(key, store, path)) return ERROR_INVALID_HANDLE;
  return store->Write([&](RegistryTree& tree) -> LONG {
    RegistryKey* found = tree.Find(path);
    if (!found) return ERROR_KEY_DELETED;
    return RegistryTree::EraseValue(*found, name ? name : "") ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

LONG RegDeleteKey(HKEY key, LPCSTR subKey) {
  if (!subKey) return ERROR_INVALID_PARAMETER;
  RegistryStore* store = nullptr;
  std::string base, path;
  if (!Resolve(key, store, base)) return ERROR_INVALID_HANDLE;
  if (!SubPath(base, subKey, path)) return ERROR_FILE_NOT_FOUND;
  if (path.empty()) return ERROR_ACCESS_DENIED;  // a root cannot be deleted
  return store->Write([&](RegistryTree& tree) -> LONG {
    if (!tree.Find(path)) return ERROR_FILE_NOT_FOUND;
    if (tree.HasSubkeys(path)) return ERROR_ACCESS_DENIED;
    tree.Erase(path);
    return ERROR_SUCCESS;
  });
}

LONG RegCloseKey(HKEY key) {
  if (key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER) return ERROR_SUCCESS;
  const auto* open = reinterpret_cast<const OpenKey*>(key);
  {
    std::lock_guard lock(gKeysMutex);
    if (!key || OpenKeys().erase(open) == 0) return ERROR_INVALID_HANDLE;
  }
  delete open;
  return ERROR_SUCCESS;
}

LONG RegOverrideValueInProcess(HKEY root, LPCSTR subKey, LPCSTR name, LPCSTR text) {
  if (root != HKEY_CLASSES_ROOT && root != HKEY_CURRENT_USER) return ERROR_INVALID_HANDLE;
  RegistryStore* store = nullptr;
  std::string base, path;
  if (!Resolve(root, store, base) || !SubPath(base, subKey, path) || !IsValidName(name ? name : "")) {
    return ERROR_INVALID_PARAMETER;
  }
  try {
    OverrideKey key{store, RegistryTree::Fold(path), RegistryTree::Fold(name ? name : "")};
    std::lock_guard lock(gOverridesMutex);
    if (!text) {
      Overrides().erase(key);
    } else {
      Overrides()[std::move(key)].assign(text, text + std::strlen(text) + 1);
    }
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  return ERROR_SUCCESS;
}

}  // extern "C"
