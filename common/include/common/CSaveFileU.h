// CSaveFileU: saving a file without ever leaving a half-written one behind.
//
// Create opens a new temporary file next to the target (same folder, so the
// final rename stays on one file system). Everything is written through
// File(); Commit flushes it to the device and renames it over the target in
// one step. Until Commit succeeds the target is untouched, and a save that is
// abandoned or fails removes the temporary file. A target that is a symbolic
// link is saved through the link; an existing target's permission bits carry
// over to the new file.
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

  // Opens the temporary file for binary writing. False when the target's
  // folder does not exist or cannot take a new file, or when the target is a
  // folder.
  bool Create(const std::string& target);
  CFileU& File() { return file_; }
  // Flushes, syncs, closes and renames over the target. False when any step
  // failed; the temporary file is then removed and the target untouched.
  bool Commit();
  // Gives up the save: closes and removes the temporary file.
  void Discard();

  const std::string& TemporaryPath() const { return temporary_; }

 private:
  CFileU file_;
  std::string target_;
  std::string temporary_;
};
