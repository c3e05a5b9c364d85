#include "WavFile.h"

#include <algorithm>

#include "common/CSaveFileU.h"

namespace {

constexpr size_t kHeaderSize = 44;

// Writes little-endian fields one after another into a buffer of known size.
class Writer {
 public:
  explicit Writer(BYTE* out) : out_(out) {}
  void Tag(const char* tag) {
    for (int i = 0; i < 4; ++i) out_[pos_++] = static_cast<BYTE>(tag[i]);
  }
  void U32(DWORD value) {
    for (int i = 0; i < 4; ++i) out_[pos_++] = static_cast<BYTE>(value >> (8 * i));
  }
  void U16(WORD value) {
    out_[pos_++] = static_cast<BYTE>(value);
    out_[pos_++] = static_cast<BYTE>(value >> 8);
  }

 private:
  BYTE* out_;
  size_t pos_ = 0;
};

}  // namespace

std::vector<BYTE> WavFile::Build(const std::vector<BYTE>& samples, DWORD sampleRate) {
  const DWORD dataSize = static_cast<DWORD>(samples.size());
  // The data chunk is padded to an even length.
  const DWORD padding = dataSize & 1;
  std::vector<BYTE> out(kHeaderSize + dataSize + padding, 0);
  Writer header(out.data());
  header.Tag("RIFF");
  header.U32(36 + dataSize + padding);
  header.Tag("WAVE");
  header.Tag("fmt ");
  header.U32(16);
  header.U16(1);  // PCM
  header.U16(1);  // mono
  header.U32(sampleRate);
  header.U32(sampleRate);  // bytes per second: one byte per sample
  header.U16(1);           // block align
  header.U16(8);           // bits per sample
  header.Tag("data");
  header.U32(dataSize);
  std::copy(samples.begin(), samples.end(), out.begin() + kHeaderSize);
  return out;
}

bool WavFile::Write(const std::string& path, const std::vector<BYTE>& samples, DWORD sampleRate) {
  const std::vector<BYTE> image = Build(samples, sampleRate);
  CSaveFileU file;
  return file.Create(path) && file.File().Write(image.data(), image.size()) && file.Commit();
}
