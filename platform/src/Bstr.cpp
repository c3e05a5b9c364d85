// BSTR strings: a 4-byte byte length, the UTF-16 characters and a NUL. The
// BSTR points at the first character, so it reads like a plain string.
#include <cstdlib>
#include <cstring>

#include "platform/Com.h"

namespace {

constexpr size_t kPrefix = sizeof(uint32_t);
// Keeps the byte length (and the block size) inside the 32-bit prefix.
constexpr size_t kMaxBytes = 0x7FFFFFF0u;

uint32_t* PrefixOf(BSTR text) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(text) - kPrefix);
}

// Allocates room for `bytes` bytes of data plus the NUL character; null on failure.
BSTR AllocBytes(const void* data, size_t bytes) {
  if (bytes > kMaxBytes) return nullptr;
  char* block = static_cast<char*>(std::malloc(kPrefix + bytes + sizeof(OLECHAR)));
  if (!block) return nullptr;
  const uint32_t length = static_cast<uint32_t>(bytes);
  std::memcpy(block, &length, kPrefix);
  if (data && bytes) {
    std::memcpy(block + kPrefix, data, bytes);
  } else {
    std::memset(block + kPrefix, 0, bytes);
  }
  // Two zero bytes after the data: a NUL character even for an odd byte length.
  std::memset(block + kPrefix + bytes, 0, sizeof(OLECHAR));
  return reinterpret_cast<BSTR>(block + kPrefix);
}

}  // namespace

extern "C" {

BSTR SysAllocString(const OLECHAR* text) {
  if (!text) return nullptr;
  size_t length = 0;
  while (text[length]) ++length;
  return AllocBytes(text, length * sizeof(OLECHAR));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  return AllocBytes(text, static_cast<size_t>(length) * sizeof(OLECHAR));
}

BSTR SysAllocStringByteLen(const char* data, UINT bytes) {
  return AllocBytes(data, bytes);
}

void SysFreeString(BSTR text) {
  if (text) std::free(PrefixOf(text));
}

UINT SysStringLen(BSTR text) {
  return text ? *PrefixOf(text) / sizeof(OLECHAR) : 0;
}

UINT SysStringByteLen(BSTR text) {
  return text ? *PrefixOf(text) : 0;
}

void* CoTaskMemAlloc(size_t size) {
  return std::malloc(size ? size : 1);
}

void CoTaskMemFree(void* p) {
  std::free(p);
}

}  // extern "C"
