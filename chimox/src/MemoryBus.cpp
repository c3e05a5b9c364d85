#include "MemoryBus.h"

#include <algorithm>
#include <vector>

#include "portix/Portix.h"

namespace chimox {

bool MemoryBus::Write(BYTE select, bool stop, DWORD address, const BYTE* data, size_t size) {
  std::vector<BYTE> request;
  request.reserve(4 + size);
  request.push_back(select);
  request.push_back(stop ? BUS_STOP : 0);
  if (addressBytes_ == 2) request.push_back(static_cast<BYTE>(address >> 8));
  request.push_back(static_cast<BYTE>(address));
  request.insert(request.end(), data, data + size);
  return port_.Transfer(IOCTL_BUS_WRITE, request.data(), static_cast<DWORD>(request.size()), nullptr, 0);
}

bool MemoryBus::SetAddress(BYTE select, DWORD address) {
  return Write(select, false, address, nullptr, 0);
}

bool MemoryBus::Read(BYTE select, BYTE* out, DWORD count) {
  const BYTE request[2] = {select, BUS_STOP};
  return port_.Transfer(IOCTL_BUS_READ, request, 2, out, count);
}

bool MemoryBus::Answers(BYTE select) {
  const BYTE request[2] = {select, BUS_STOP_SELECT_ONCE};
  BYTE ignored = 0;
  return port_.Transfer(IOCTL_BUS_READ, request, 2, &ignored, 1);
}

bool MemoryBus::ReadAt(BYTE writeSelect, DWORD address, BYTE* out, DWORD count) {
  return SetAddress(writeSelect, address) && Read(static_cast<BYTE>(writeSelect | 1), out, count);
}

bool MemoryBus::WriteAt(BYTE select, DWORD address, const BYTE* data, size_t size, size_t pageSize) {
  while (size > 0) {
    const size_t piece = std::min(size, pageSize - address % pageSize);
    port_.Pause(kPagePauseMilliseconds);
    if (!Write(select, true, address, data, piece)) return false;
    address += static_cast<DWORD>(piece);
    data += piece;
    size -= piece;
  }
  return true;
}

bool MemoryBus::WriteOnce(BYTE select, DWORD address, const BYTE* data, size_t size) {
  return Write(select, true, address, data, size);
}

}  // namespace chimox
