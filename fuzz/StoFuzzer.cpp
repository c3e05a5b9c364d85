// Any bytes as a melody set file: success or a read or magic error, memory
// bounded by the bytes present, and a stable written image.
#include <cstdio>
#include <cstdlib>

#include "common/StoFormat.h"

namespace {

std::vector<uint8_t> Image(const std::vector<MelodyData>& set) {
  char* data = nullptr;
  size_t size = 0;
  {
    CFileU file(open_memstream(&data, &size));
    if (StoFormat::Write(file, set) != FileStatus::Ok) abort();
  }
  std::vector<uint8_t> bytes(data, data + size);
  free(data);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CFileU file(fmemopen(const_cast<uint8_t*>(data), size, "rb"));
  std::vector<MelodyData> set;
  FileStatus status = StoFormat::Read(file, set);
  if (status != FileStatus::Ok && status != FileStatus::ReadFailed && status != FileStatus::BadMagic) abort();
  // Every record but a last partial one takes at least five bytes.
  if (set.size() > size / 5 + 1) abort();
  size_t notes = 0;
  for (const MelodyData& m : set) notes += m.notes.size();
  if (notes > size / 3) abort();
  if (status == FileStatus::Ok) {
    std::vector<uint8_t> once = Image(set);
    CFileU again(fmemopen(once.data(), once.size(), "rb"));
    std::vector<MelodyData> reread;
    if (StoFormat::Read(again, reread) != FileStatus::Ok || Image(reread) != once) abort();
  }
  return 0;
}
