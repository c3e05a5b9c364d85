#include "HandleTable.h"

namespace nv::platform {

namespace {

uintptr_t Key(HANDLE handle) {
  return reinterpret_cast<uintptr_t>(handle);
}

}  // namespace

HandleTable& HandleTable::Instance() {
  // Never destroyed: detached threads may close handles while the process ends.
  static auto* const table = new HandleTable;
  return *table;
}

HANDLE HandleTable::Insert(Entry entry) {
  const uintptr_t key = next_;
  entries_.emplace(key, std::move(entry));
  next_ += 4;  // handle-like values; the counter never wraps in 64 bits
  return reinterpret_cast<HANDLE>(key);
}

HANDLE HandleTable::Add(std::shared_ptr<KernelObject> object) {
  std::lock_guard lock(mutex_);
  return Insert(Entry{std::move(object), {}});
}

HANDLE HandleTable::Duplicate(HANDLE source) {
  std::lock_guard lock(mutex_);
  auto found = entries_.find(Key(source));
  if (found == entries_.end()) return nullptr;
  Entry copy = found->second;
  return copy.name.empty() ? Insert(std::move(copy)) : Open(names_.find(copy.name));
}

HANDLE HandleTable::Open(std::unordered_map<std::string, Name>::iterator named) {
  HANDLE handle = Insert(Entry{named->second.object, named->first});
  ++named->second.handles;
  return handle;
}

HANDLE HandleTable::CreateNamed(const std::string& name, KernelObject::Kind kind,
                                const std::function<std::shared_ptr<KernelObject>()>& make, bool* existed) {
  std::lock_guard lock(mutex_);
  auto found = names_.find(name);
  *existed = found != names_.end();
  if (!*existed) {
    found = names_.emplace(name, Name{make(), 0}).first;
  } else if (found->second.object->kind() != kind) {
    return nullptr;
  }
  try {
    return Open(found);
  } catch (...) {
    if (found->second.handles == 0) names_.erase(found);
    throw;
  }
}

HANDLE HandleTable::OpenNamed(const std::string& name, KernelObject::Kind kind) {
  std::lock_guard lock(mutex_);
  auto found = names_.find(name);
  if (found == names_.end() || found->second.object->kind() != kind) return nullptr;
  return Open(found);
}

std::shared_ptr<KernelObject> HandleTable::Find(HANDLE handle) const {
  std::lock_guard lock(mutex_);
  auto found = entries_.find(Key(handle));
  return found == entries_.end() ? nullptr : found->second.object;
}

bool HandleTable::Close(HANDLE handle) {
  std::shared_ptr<KernelObject> last;  // released after the lock
  std::lock_guard lock(mutex_);
  auto found = entries_.find(Key(handle));
  if (found == entries_.end()) return false;
  last = std::move(found->second.object);
  if (!found->second.name.empty()) {
    auto named = names_.find(found->second.name);
    if (--named->second.handles == 0) names_.erase(named);
  }
  entries_.erase(found);
  return true;
}

}  // namespace nv::platform
