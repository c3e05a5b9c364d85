// A RIFF WAVE file of unsigned 8-bit mono PCM.
#pragma once

#include <string>
#include <vector>

#include "platform/Types.h"

class WavFile {
 public:
  // The whole file image: the 44-byte header and the samples.
  static std::vector<BYTE> Build(const std::vector<BYTE>& samples, DWORD sampleRate);
  // Writes it through a temporary file renamed over path at the end; false
  // (an existing file untouched) when any step fails.
  static bool Write(const std::string& path, const std::vector<BYTE>& samples, DWORD sampleRate);
};
