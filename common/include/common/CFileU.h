// CFileU: one open buffered binary file stream, closed by the destructor.
//
// Paths are UTF-8 file-system paths. The exact-size reads and writes are the
// building blocks of the melody and set formats: every one of them either
// transfers all the bytes asked for or returns false. Integers in the
// programs' own files are 32-bit little-endian; strings are length-prefixed
// (one length byte, then that many Windows-1251 bytes, no terminator).
#pragma once

#include <cstdio>
#include <string>

#include "common/CStringU.h"
#include "platform/Types.h"

class CFileU {
 public:
  CFileU() = default;
  // Adopts an open stream (for example one over memory); closes it at the end.
  explicit CFileU(FILE* stream) : stream_(stream) {}
  ~CFileU();
  CFileU(const CFileU&) = delete;
  CFileU& operator=(const CFileU&) = delete;
  CFileU(CFileU&& other) noexcept;
  CFileU& operator=(CFileU&& other) noexcept;

  // Opens path with an fopen mode ("rb", "wb", ...), closing any stream held
  // before. Only regular files open: a folder, a named pipe or a device is
  // refused at once (EISDIR, EINVAL), never waited on. False when the file
  // cannot be opened (errno tells why).
  bool Open(const std::string& path, const char* mode);
  // Closes the stream; false when flushing or closing failed. The stream is
  // gone either way.
  bool Close();
  bool IsOpen() const { return stream_ != nullptr; }
  FILE* Stream() const { return stream_; }

  // Exact transfers: false when fewer bytes were moved (or no stream is open).
  bool Read(void* data, size_t size);
  bool Write(const void* data, size_t size);
  // Up to size bytes; returns how many were read (0 at the end or on error).
  size_t ReadSome(void* data, size_t size);
  bool AtEnd() const;
  bool HasError() const;

  bool ReadByte(BYTE& value);
  bool WriteByte(BYTE value);
  // 32-bit little-endian, signed.
  bool ReadLong(LONG& value);
  bool WriteLong(LONG value);
  // Length-prefixed string: false on a short read (value then holds what it
  // held before) or a short write.
  bool ReadString(CStringU& value);
  bool WriteString(const CStringU& value);
  // The same for plain wide text; text longer than 255 characters is written
  // as an empty string.
  bool ReadString(std::u16string& value);
  bool WriteString(std::u16string_view value);

  // Absolute position from the start; false on failure.
  bool Seek(long offset);
  // Pushes buffered data to the system and then to the device.
  bool Flush();
  bool Sync();

 private:
  FILE* stream_ = nullptr;
};
