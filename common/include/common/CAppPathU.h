// CAppPathU: the program's folder, its registry key and the work folder where
// every open and save dialog starts.
//
// The key is "Software\" + key name under HKEY_CURRENT_USER, for example
// "N&V\Melodies Editor v2.9"; the work folder is its string value "WorkDir".
// Folders are UTF-8 file-system paths that end in '/'.
#pragma once

#include <string>

class CAppPathU {
 public:
  // Stores the key name, takes the program folder from the running program's
  // file and reads "WorkDir"; a missing or unreadable key or value leaves the
  // current folder as the work folder. False only when the key name is empty
  // or the program file's folder cannot be found.
  bool Start(const std::string& keyName);

  // The folder becomes the work folder; a trailing '/' is added if missing.
  void SetWorkDir(const std::string& folder);
  // Writes "WorkDir" under the program's key, creating the key if needed.
  // False when the registry cannot be written.
  bool Save() const;

  const std::string& KeyName() const { return keyName_; }
  // "Software\" + key name.
  std::string KeyPath() const;
  const std::string& ProgramDir() const { return programDir_; }
  const std::string& WorkDir() const { return workDir_; }

 private:
  std::string keyName_;
  std::string programDir_;
  std::string workDir_;
};
