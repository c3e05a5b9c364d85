#include "common/CFileU.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <cstring>
#include <utility>

CFileU::~CFileU() {
  if (stream_) std::fclose(stream_);
}

CFileU::CFileU(CFileU&& other) noexcept : stream_(std::exchange(other.stream_, nullptr)) {}

CFileU& CFileU::operator=(CFileU&& other) noexcept {
  if (this != &other) {
    if (stream_) std::fclose(stream_);
    stream_ = std::exchange(other.stream_, nullptr);
  }
  return *this;
}

namespace {

// open(2) flags for an fopen mode; -1 for a mode fopen would not take.
int OpenFlags(const char* mode) {
  bool update = std::strchr(mode, '+') != nullptr;
  switch (mode[0]) {
    case 'r':
      return update ? O_RDWR : O_RDONLY;
    case 'w':
      return (update ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
    case 'a':
      return (update ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
    default:
      return -1;
  }
}

}  // namespace

bool CFileU::Open(const std::string& path, const char* mode) {
  if (stream_) std::fclose(std::exchange(stream_, nullptr));
  int flags = OpenFlags(mode);
  if (flags < 0) {
    errno = EINVAL;
    return false;
  }
  // O_NONBLOCK keeps a named pipe without a writer from blocking the open;
  // the type check then refuses it, and refuses folders and devices too.
  int fd = open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  struct stat st;
  int error = 0;
  if (fstat(fd, &st) != 0)
    error = errno;
  else if (!S_ISREG(st.st_mode))
    error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  if (error != 0) {
    close(fd);
    errno = error;
    return false;
  }
  int status = fcntl(fd, F_GETFL);
  if (status < 0 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
    close(fd);
    return false;
  }
  stream_ = fdopen(fd, mode);
  if (!stream_) close(fd);
  return stream_ != nullptr;
}

bool CFileU::Close() {
  if (!stream_) return true;
  // fclose invalidates the stream even when it fails, so it is forgotten
  // in both cases; a second close would be undefined.
  int result = std::fclose(std::exchange(stream_, nullptr));
  return result == 0;
}

bool CFileU::Read(void* data, size_t size) {
  if (!stream_) return false;
  return size == 0 || std::fread(data, 1, size, stream_) == size;
}

bool CFileU::Write(const void* data, size_t size) {
  if (!stream_) return false;
  return size == 0 || std::fwrite(data, 1, size, stream_) == size;
}

size_t CFileU::ReadSome(void* data, size_t size) {
  return stream_ ? std::fread(data, 1, size, stream_) : 0;
}

bool CFileU::AtEnd() const {
  return stream_ && std::feof(stream_);
}

bool CFileU::HasError() const {
  return !stream_ || std::ferror(stream_);
}

bool CFileU::ReadByte(BYTE& value) {
  return Read(&value, 1);
}

bool CFileU::WriteByte(BYTE value) {
  return Write(&value, 1);
}

bool CFileU::ReadLong(LONG& value) {
  BYTE b[4];
  if (!Read(b, sizeof b)) return false;
  value = static_cast<LONG>(static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                            (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24));
  return true;
}

bool CFileU::WriteLong(LONG value) {
  uint32_t v = static_cast<uint32_t>(value);
  BYTE b[4] = {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 24)};
  return Write(b, sizeof b);
}

bool CFileU::ReadString(CStringU& value) {
  BYTE length = 0;
  if (!ReadByte(length)) return false;
  char text[CStringU::kMaxLength + 1];
  if (!Read(text, length)) return false;
  text[length] = 0;
  // A NUL inside the text ends it, as it ends any terminated string.
  value = text;
  return true;
}

bool CFileU::WriteString(const CStringU& value) {
  // The length byte counts the bytes actually written, so a character the
  // code page cannot hold never shifts the rest of the file.
  const char* text = value.Narrow();
  size_t length = std::strlen(text);
  return WriteByte(static_cast<BYTE>(length)) && Write(text, length);
}

bool CFileU::ReadString(std::u16string& value) {
  CStringU text;
  if (!ReadString(text)) return false;
  value = text.View();
  return true;
}

bool CFileU::WriteString(std::u16string_view value) {
  return WriteString(CStringU(value));
}

bool CFileU::Seek(long offset) {
  return stream_ && std::fseek(stream_, offset, SEEK_SET) == 0;
}

bool CFileU::Flush() {
  return stream_ && std::fflush(stream_) == 0;
}

bool CFileU::Sync() {
  if (!Flush()) return false;
  int fd = fileno(stream_);
  return fd >= 0 && fsync(fd) == 0;
}
