#include "HandleTable.h"

namespace nv::platform {

HandleTable& HandleTable::Instance() {
  // Never destroyed: detached threads may close handles while the process ends.
  static auto* const table = new HandleTable;
  return *table;
}

HANDLE HandleTable::Add(const std::shared_ptr<KernelObject>& object) {
  std::lock_guard lock(mutex_);
  return AddLocked(object, {});
}

HANDLE HandleTable::AddLocked(const std::shared_ptr<KernelObject>& object, const std::string& name) {
  HANDLE handle = object.get();
  auto [entry, inserted] = entries_.try_emplace(handle);
  if (inserted) {
    entry->second.object = object;
    entry->second.name = name;
  }
  ++entry->second.count;
  return handle;
}

HANDLE HandleTable::CreateNamed(const std::string& name, KernelObject::Kind kind,
                                const std::function<std::shared_ptr<KernelObject>()>& make, bool* existed) {
  std::lock_guard lock(mutex_);
  if (auto found = names_.find(name); found != names_.end()) {
    *existed = true;
    Entry& entry = entries_.at(found->second);
    if (entry.object->kind() != kind) return nullptr;
    ++entry.count;
    return found->second;
  }
  *existed = false;
  std::shared_ptr<KernelObject> object = make();
  if (!object) return nullptr;
  auto named = names_.try_emplace(name, nullptr).first;
  try {
    named->second = AddLocked(object, name);
  } catch (...) {
    names_.erase(named);
    throw;
  }
  return named->second;
}

HANDLE HandleTable::OpenNamed(const std::string& name, KernelObject::Kind kind) {
  std::lock_guard lock(mutex_);
  auto found = names_.find(name);
  if (found == names_.end()) return nullptr;
  Entry& entry = entries_.at(found->second);
  if (entry.object->kind() != kind) return nullptr;
  ++entry.count;
  return found->second;
}

std::shared_ptr<KernelObject> HandleTable::Find(HANDLE handle) const {
  std::lock_guard lock(mutex_);
  auto found = entries_.find(handle);
  return found == entries_.end() ? nullptr : found->second.object;
}

bool HandleTable::Close(HANDLE handle) {
  std::shared_ptr<KernelObject> last;  // released after the table lock
  std::lock_guard lock(mutex_);
  auto found = entries_.find(handle);
  if (found == entries_.end()) return false;
  if (--found->second.count == 0) {
    if (!found->second.name.empty()) names_.erase(found->second.name);
    last = std::move(found->second.object);
    entries_.erase(found);
  }
  return true;
}

}  // namespace nv::platform
