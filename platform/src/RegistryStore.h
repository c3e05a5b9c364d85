// One registry root kept in its export file. Reads use a cached tree that is
// re-read whenever the file changed; each write takes an advisory lock, re-reads
// the file, applies its one change and replaces the file atomically, so
// concurrent writers in other processes lose nothing.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <functional>
#include <mutex>
#include <string>

#include "RegistryTree.h"

namespace nv::platform {

class RegistryStore {
 public:
  // rootName is the file's base name and the first segment of its sections.
  explicit RegistryStore(std::string rootName);
  RegistryStore(const RegistryStore&) = delete;
  RegistryStore& operator=(const RegistryStore&) = delete;

  // The process's two stores.
  static RegistryStore& ClassesRoot();
  static RegistryStore& CurrentUser();

  // Calls read on the current tree (empty when the file is missing or
  // unreadable) and returns its result.
  LONG Read(const std::function<LONG(const RegistryTree&)>& read);
  // Calls change on the file's current tree under the file lock; when it
  // returns ERROR_SUCCESS the tree is written back. ERROR_CANTWRITE when the
  // folder, lock or file cannot be written; the old file then stays as it was.
  LONG Write(const std::function<LONG(RegistryTree&)>& change);

  // $XDG_CONFIG_HOME/N&V/registry/<root>.reg; empty when no home folder is known.
  std::string FilePath() const;

 private:
  struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{};
    bool operator==(const Identity&) const;
  };

  // Brings tree_ up to date with the file at path; caller holds mutex_.
  void Refresh(const std::string& path);
  bool WriteFile(const std::string& path, const std::string& text, Identity* written);

  const std::string rootName_;
  std::mutex mutex_;
  std::string cachedPath_;
  bool cacheValid_ = false;
  Identity identity_;
  timespec loaded_{};
  RegistryTree tree_;
  std::string damagedText_;  // the file's text when it did not parse cleanly
};

}  // namespace nv::platform
