// The melody set file (.sto), shared by Setora and Dinova.
//
// 32-bit little-endian signed integers: the string "EST1.0"; the melody count
// M; then M records of note count N, the name, and N three-byte note symbols
// (pitch index, duration code, flags). Unlike the .mel file the note count
// comes before the name and appears once. A count of zero or less means no
// records or no notes.
#pragma once

#include <string>
#include <vector>

#include "common/CFileU.h"
#include "common/MelodyData.h"

class StoFormat {
 public:
  static constexpr const char* kMagic = "EST1.0";

  // Reads the first string: Ok, ReadFailed, or BadMagic when it is not "EST1.0".
  static FileStatus ReadMagic(CFileU& file);
  // Reads the melody count and the records. A record is appended to melodies
  // as soon as it begins, so on ReadFailed melodies ends with the record that
  // was being read, holding what was read of it. Memory grows only with the
  // bytes actually present, whatever the counts claim.
  static FileStatus ReadBody(CFileU& file, std::vector<MelodyData>& melodies);
  static FileStatus Read(CFileU& file, std::vector<MelodyData>& melodies);
  // WriteFailed on a short write.
  static FileStatus Write(CFileU& file, const std::vector<MelodyData>& melodies);

  // OpenFailed, or as Read.
  static FileStatus Load(const std::string& path, std::vector<MelodyData>& melodies);
  // Atomic as MelFormat::Save: OpenFailed or WriteFailed, the old file untouched.
  static FileStatus Save(const std::string& path, const std::vector<MelodyData>& melodies);

  // Size of a set in note symbols: each melody counts its notes plus one.
  static LONG SetSize(const std::vector<MelodyData>& melodies);
};
