// CSaveFileU: saving a file without ever leaving a half-written one behind.
//
// Create opens a new temporary file next to the target (same folder, so the
// final rename stays on one file system). Everything is written through
// File(); Commit flushes it to the device and puts it in place. Until Commit
// succeeds the target is untouched, and a save that is abandoned or fails
// removes the temporary file.
//
// The saved file stays the file the user had:
// - a symbolic link (or a chain of them) is saved through to the file it
//   names, and the link stays;
// - an existing target the user may not write is refused, as opening it for
//   writing would be; so is anything that is not a regular file;
// - the permission bits carry over, and the owner and group where the
//   process may set them;
// - a file with more than one hard link is written in place once the
//   complete new contents are safely on disk beside it, so every name keeps
//   seeing the same file; if writing in place fails, the complete copy is
//   renamed over the target instead, so the data is never lost;
// - a writable file in a folder that cannot take a new file is written in
//   place the same way, from a complete copy kept in the system's temporary
//   folder.
#pragma once

#include <string>

#include "common/CFileU.h"

class CSaveFileU {
 public:
  CSaveFileU() = default;
  // Removes the temporary file unless Commit succeeded.
  ~CSaveFileU();
  CSaveFileU(const CSaveFileU&) = delete;
  CSaveFileU& operator=(const CSaveFileU&) = delete;

  // Opens the temporary file for binary writing. False (errno set) when the
  // target's folder does not exist or cannot take a new file and the target
  // cannot be written in place, when the existing target may not be written
  // by this user, or when it is not a regular file (a folder, a pipe, a
  // device).
  bool Create(const std::string& target);
  CFileU& File() { return file_; }
  // Flushes, syncs, closes and puts the new contents in place. False when any
  // step failed; the temporary file is then removed and the target holds
  // either its old contents or the complete new ones.
  bool Commit();
  // Gives up the save: closes and removes the temporary file.
  void Discard();

  // Empty while the contents are kept outside the target's folder.
  const std::string& TemporaryPath() const { return temporary_; }

 private:
  bool CommitInPlace();

  CFileU file_;
  std::string target_;
  std::string temporary_;
  // The target is overwritten in place instead of being replaced.
  bool inPlace_ = false;
};
