// CChmFileU: read access to a compiled HTML help file (.chm) through libchm.
// The file stays open for the object's lifetime; objects inside it are
// addressed by their path from the root, "/page.htm", without regard to case.
#pragma once

#include <string>

struct chmFile;

class CChmFileU {
 public:
  // Objects larger than this are refused: a help page or picture never comes
  // near it, and a damaged directory entry must not make us allocate wildly.
  static constexpr unsigned long long kMaxObjectSize = 16ull * 1024 * 1024;

  // Opens path; IsOpen() tells whether that worked.
  explicit CChmFileU(const std::string& path);
  ~CChmFileU();
  CChmFileU(const CChmFileU&) = delete;
  CChmFileU& operator=(const CChmFileU&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  // Copies the object's bytes into out. False (out emptied) when the file is
  // not open, the object is missing, larger than kMaxObjectSize or cannot be
  // read whole.
  bool Read(const std::string& objectPath, std::string& out) const;
  bool Contains(const std::string& objectPath) const;

 private:
  chmFile* file_ = nullptr;
};
