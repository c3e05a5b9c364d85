// The melody file (.mel), shared by the three programs.
//
// Little-endian, no padding: the string "EM2.0"; count (32-bit, ignored by
// the reader); the name; count again (the reader uses this copy); then per
// note symbol three bytes: pitch index, duration code, flags. Strings are one
// length byte and that many Windows-1251 bytes.
#pragma once

#include <string>

#include "common/CFileU.h"
#include "common/MelodyData.h"

class MelFormat {
 public:
  static constexpr const char* kMagic = "EM2.0";

  // Reads the first string and checks it: Ok, ReadFailed when it cannot be
  // read whole, BadMagic when it is anything but "EM2.0" (case-sensitive).
  static FileStatus ReadMagic(CFileU& file);
  // Reads everything after the magic. On ReadFailed melody holds the name
  // and the notes read before the short read; nameRead, when given, tells
  // whether the name was read whole. A count of zero or less reads no notes;
  // memory grows only with the bytes actually present.
  static FileStatus ReadBody(CFileU& file, MelodyData& melody, bool* nameRead = nullptr);
  // Magic then body.
  static FileStatus Read(CFileU& file, MelodyData& melody);
  // The whole file image; WriteFailed on a short write.
  static FileStatus Write(CFileU& file, const MelodyData& melody);

  // Opens path and reads it: OpenFailed, or as Read.
  static FileStatus Load(const std::string& path, MelodyData& melody);
  // Saves through a temporary file renamed over path only when complete:
  // OpenFailed when the file cannot be created, WriteFailed otherwise; on
  // failure an existing file at path is untouched.
  static FileStatus Save(const std::string& path, const MelodyData& melody);
};
