// The process's open kernel-object handles. Every open, creation or
// duplication gives a new handle value from a counter, never handed out
// again, so a handle closed twice or used after closing fails instead of
// reaching an object that took its place. Each handle holds a reference to
// its object; waiters hold their own, so an object whose last handle is
// closed during a wait lives until the wait ends. Events and timers share one
// name space; a name vanishes with the last handle to its object.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "KernelObject.h"

namespace nv::platform {

class HandleTable {
 public:
  // The one table of the process (never destroyed).
  static HandleTable& Instance();

  // The members below throw std::bad_alloc when memory runs out.

  // Opens a handle to an unnamed object.
  HANDLE Add(std::shared_ptr<KernelObject> object);
  // Opens another handle to the object of an open handle; null if `source` is not open.
  HANDLE Duplicate(HANDLE source);
  // Opens the object called `name`, making it with `make` when there is none
  // (*existed tells which). Null if an object of another kind holds the name.
  HANDLE CreateNamed(const std::string& name, KernelObject::Kind kind,
                     const std::function<std::shared_ptr<KernelObject>()>& make, bool* existed);
  // Opens the existing object called `name`; null if there is none of that kind.
  HANDLE OpenNamed(const std::string& name, KernelObject::Kind kind);

  // The object behind an open handle; null if the handle is not open.
  std::shared_ptr<KernelObject> Find(HANDLE handle) const;
  // Closes a handle; false if it was not open.
  bool Close(HANDLE handle);

 private:
  struct Entry {
    std::shared_ptr<KernelObject> object;
    std::string name;  // empty for unnamed objects
  };
  struct Name {
    std::shared_ptr<KernelObject> object;
    size_t handles = 0;
  };

  // Require the lock.
  HANDLE Insert(Entry entry);
  HANDLE Open(std::unordered_map<std::string, Name>::iterator named);

  mutable std::mutex mutex_;
  std::unordered_map<uintptr_t, Entry> entries_;
  std::unordered_map<std::string, Name> names_;
  uintptr_t next_ = 0x100;
};

}  // namespace nv::platform
