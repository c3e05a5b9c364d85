// CDocumentU: the base of a document kept in one file: its path, a modified
// flag, and the open and save sequences around the derived class's Serialize.
#pragma once

#include <string>

#include "common/CFileU.h"
#include "common/MelodyData.h"

class CDocumentU {
 public:
  virtual ~CDocumentU();

  // Empties the document; false when it could not.
  virtual bool Clear() = 0;
  // Writes the document to file when storing, else reads it; a read replaces
  // the document's contents only once the whole file was read, and leaves
  // them untouched on failure. Ok, ReadFailed or WriteFailed for a short
  // transfer, Failed for any other failure.
  virtual FileStatus Serialize(CFileU& file, bool storing) = 0;

  // Opens path for reading and reads it; on success the document takes path
  // as its path and modified is cleared. OpenFailed when the file cannot be
  // opened, else Serialize's result; on failure the document (contents, path
  // and modified) is as it was.
  FileStatus OpenFile(const std::string& path);
  // Writes the document to path, or to its own path when none is given,
  // through CSaveFileU; on success a given path becomes the document's path
  // and modified is cleared. OpenFailed when the file cannot be created or
  // written by this user, else Serialize's result or WriteFailed when the
  // final flush or rename fails. On failure the file that was there before
  // is untouched and path and modified keep their values.
  FileStatus SaveFile(const std::string* path);

  // UTF-8 full path of the file, or the name a new document was given.
  const std::string& Path() const { return path_; }
  void SetPath(const std::string& path) { path_ = path; }
  bool IsModified() const { return modified_ != 0; }
  void SetModified(bool modified) { modified_ = modified ? 1 : 0; }

 private:
  std::string path_;
  LONG modified_ = 0;
};
