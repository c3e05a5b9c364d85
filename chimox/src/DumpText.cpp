#include "DumpText.h"

#include <cstring>
#include <string>

namespace chimox {

bool WriteDumpBytes(std::FILE* file, const BYTE* bytes, size_t count, size_t firstOffset) {
  std::string text;
  text.reserve(count * 3 + count / 16 * 8 + 8);
  char piece[16];
  for (size_t i = 0; i < count; ++i) {
    const size_t offset = firstOffset + i;
    if (offset % 16 == 0) {
      std::snprintf(piece, sizeof piece, "\r\n%04X ", static_cast<unsigned>(offset));
      text += piece;
    }
    std::snprintf(piece, sizeof piece, "%02X ", bytes[i]);
    text += piece;
  }
  return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

bool WriteDumpText(std::FILE* file, const char* text) {
  const size_t size = std::strlen(text);
  return std::fwrite(text, 1, size, file) == size;
}

}  // namespace chimox
