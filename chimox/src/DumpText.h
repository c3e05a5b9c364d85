// The text form of memory dumps: uppercase hexadecimal bytes, each "%02X ",
// and before every byte whose offset is a multiple of 16 "\r\n%04X " with
// that offset.
#pragma once

#include <cstddef>
#include <cstdio>

#include "platform/Types.h"

namespace chimox {

// bytes[i] is shown with offset firstOffset + i. False when the file fails.
bool WriteDumpBytes(std::FILE* file, const BYTE* bytes, size_t count, size_t firstOffset);
bool WriteDumpText(std::FILE* file, const char* text);

}  // namespace chimox
