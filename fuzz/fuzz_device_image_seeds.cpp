// Writes the seed corpus of fuzz_device_image: new, cleared, full, deferred
// and broken memories of both versions, into the folder given.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Picks the memory, a 5-note melody to append, then the image's first bytes.
Bytes Input(int sizeCode, const Bytes& image) {
  Bytes input = {static_cast<uint8_t>(sizeCode), 5, 8, 17, 98, 200, 12};
  for (const uint8_t byte : image) input.push_back(byte);
  return input;
}

// Version 2.0: block 0 (notes) then block 1 (header, directory, flags).
Bytes Image20(int melodies, int notes) {
  Bytes image(512, 0xFF);
  image[256] = 16;
  image[257] = 0;
  size_t at = 0;
  for (int m = 0; m < melodies; ++m) {
    image[256 + 0x10 + m] = static_cast<uint8_t>(at);
    for (int i = 0; i < notes; ++i) image[at++] = static_cast<uint8_t>(8 * (i % 32) + i % 5);
    image[at++] = 7;
  }
  image[256 + 0x10 + melodies] = 0xFF;
  for (size_t i = 0x80; i < 0x100; ++i) image[256 + i] = 0;
  return image;
}

// Version 2.9 up to the end of the last melody; shown melodies in the header.
Bytes Image29(int melodies, int notes, int shown, int current) {
  Bytes image(0x0810 + 2 * static_cast<size_t>(melodies * (notes + 1)), 0xFF);
  image[0] = 0x3C;
  image[1] = 0;
  auto word = [&](size_t at, size_t value) {
    image[at] = static_cast<uint8_t>(value >> 8);
    image[at + 1] = static_cast<uint8_t>(value);
  };
  word(2, 14 + 2 * static_cast<size_t>(current));
  word(4, 14 + 2 * static_cast<size_t>(shown));
  size_t at = 0x0810;
  for (int m = 0; m < melodies; ++m) {
    word(0x10 + 2 * static_cast<size_t>(m), at);
    for (int i = 0; i < notes; ++i) {
      image[at++] = static_cast<uint8_t>(8 * (i % 32) + i % 5);
      image[at++] = static_cast<uint8_t>(i % 4);
    }
    image[at++] = 7;
    image[at++] = 0;
  }
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::filesystem::path folder = std::filesystem::path(argv[1]) / "fuzz_device_image";
  std::filesystem::create_directories(folder);
  Bytes cleared29 = Image29(3, 4, 3, 2);
  cleared29[4] = cleared29[5] = 0;
  Bytes badCurrent = Image29(3, 4, 3, 1);
  badCurrent[3] = 15;
  Bytes brokenDirectory = Image20(4, 3);
  brokenDirectory[256 + 0x12] = 0;
  const std::vector<std::pair<std::string, Bytes>> seeds = {
      {"20-new", Input(0, {})},
      {"20-cleared", Input(0, Image20(0, 0))},
      {"20-three", Input(0, Image20(3, 6))},
      {"20-full", Input(0, Image20(111, 1))},
      {"20-last-address", Input(0, Image20(1, 253))},
      {"20-broken", Input(0, brokenDirectory)},
      {"29-new-16k", Input(1, {})},
      {"29-three-16k", Input(1, Image29(3, 4, 3, 1))},
      {"29-three-32k", Input(2, Image29(3, 40, 3, 3))},
      {"29-deferred-64k", Input(3, Image29(4, 4, 2, 1))},
      {"29-cleared", Input(1, cleared29)},
      {"29-current-15", Input(2, badCurrent)},
  };
  for (const auto& [name, bytes] : seeds) {
    std::ofstream out(folder / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) return 1;
  }
  return 0;
}
