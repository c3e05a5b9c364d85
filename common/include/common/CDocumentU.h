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
  // Writes the document to file when storing, else reads it. Ok, ReadFailed
  // or WriteFailed for a short transfer, Failed for any other failure.
  virtual FileStatus Serialize(CFileU& file, bool storing) = 0;

  // Opens path for reading, clears the document, takes path as its path and
  // reads it. OpenFailed when the file cannot be opened, Failed when Clear
  // fails, else Serialize's result; modified is cleared only on success. A
  // read that fails leaves what was read before the failure.
  FileStatus OpenFile(const std::string& path);
  // Takes path as the document's path when one is given, then writes the
  // document through a temporary file renamed over the path at the end.
  // OpenFailed when the file cannot be created, else Serialize's result or
  // WriteFailed when the final flush or rename fails. On failure the file
  // that was there before is untouched and modified keeps its value.
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
