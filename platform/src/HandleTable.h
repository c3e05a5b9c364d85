// The process's open kernel-object handles. A handle is the address of its
// object; each open handle holds one count, and the table keeps the object
// alive while any count is left. Waiters hold their own reference, so an
// object closed during a wait lives until the wait ends. Names of named
// objects are shared by events and timers and vanish with the last handle.
#pragma once

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

  // Opens one more handle to `object` and returns it.
  HANDLE Add(const std::shared_ptr<KernelObject>& object);
  // Opens the object called `name`, making it with `make` when there is none
  // (*existed tells which). Null if an object of another kind holds the name,
  // or if `make` returns null.
  HANDLE CreateNamed(const std::string& name, KernelObject::Kind kind,
                     const std::function<std::shared_ptr<KernelObject>()>& make, bool* existed);
  // Opens the existing object called `name`; null if there is none of that kind.
  HANDLE OpenNamed(const std::string& name, KernelObject::Kind kind);

  // The object behind an open handle; null if the handle is not open.
  std::shared_ptr<KernelObject> Find(HANDLE handle) const;
  // Closes one handle; false if it was not open.
  bool Close(HANDLE handle);

 private:
  struct Entry {
    std::shared_ptr<KernelObject> object;
    size_t count = 0;
    std::string name;
  };

  HANDLE AddLocked(const std::shared_ptr<KernelObject>& object, const std::string& name);

  mutable std::mutex mutex_;
  std::unordered_map<HANDLE, Entry> entries_;
  std::unordered_map<std::string, HANDLE> names_;
};

}  // namespace nv::platform
