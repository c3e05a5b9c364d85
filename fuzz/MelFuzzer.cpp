// Any bytes as a melody file: the reader ends in success or a read or magic
// error, holds no more notes than the bytes can carry, and what it read
// writes and reads back to the same image.
#include <cstdio>
#include <cstdlib>

#include "common/MelFormat.h"

namespace {

std::vector<uint8_t> Image(const MelodyData& melody) {
  char* data = nullptr;
  size_t size = 0;
  {
    CFileU file(open_memstream(&data, &size));
    if (MelFormat::Write(file, melody) != FileStatus::Ok) abort();
  }
  std::vector<uint8_t> bytes(data, data + size);
  free(data);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CFileU file(fmemopen(const_cast<uint8_t*>(data), size, "rb"));
  MelodyData melody;
  FileStatus status = MelFormat::Read(file, melody);
  if (status != FileStatus::Ok && status != FileStatus::ReadFailed && status != FileStatus::BadMagic) abort();
  if (melody.notes.size() > size / 3 || melody.name.size() > 255) abort();
  if (status == FileStatus::Ok) {
    std::vector<uint8_t> once = Image(melody);
    CFileU again(fmemopen(once.data(), once.size(), "rb"));
    MelodyData reread;
    if (MelFormat::Read(again, reread) != FileStatus::Ok || Image(reread) != once) abort();
  }
  return 0;
}
