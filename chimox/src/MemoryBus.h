// The transactions of the device memory: setting the address, reading on from
// it, and writing in page-sized pieces, each after a 10 ms pause (the memory
// may still be busy with the previous piece).
#pragma once

#include <cstddef>

#include "BusPort.h"

namespace chimox {

class MemoryBus {
 public:
  static constexpr DWORD kPagePauseMilliseconds = 10;

  // addressBytes: 1 (version 2.0) or 2 (version 2.9, high byte first).
  MemoryBus(BusPort& port, int addressBytes) : port_(port), addressBytes_(addressBytes) {}

  // Each returns false when a transfer failed.
  // A write of the address alone, without stop: the next read continues there.
  bool SetAddress(BYTE select, DWORD address);
  // Reads count bytes (1 or more) at the memory's address counter, with stop.
  bool Read(BYTE select, BYTE* out, DWORD count);
  // Whether a device acknowledges select at once (a 1-byte read, no retry).
  bool Answers(BYTE select);
  // SetAddress with writeSelect, then Read with writeSelect + 1.
  bool ReadAt(BYTE writeSelect, DWORD address, BYTE* out, DWORD count);
  // Splits data at multiples of pageSize; each piece is sent with its address
  // and a stop after a 10 ms pause. Stops at the first failed piece.
  bool WriteAt(BYTE select, DWORD address, const BYTE* data, size_t size, size_t pageSize);
  // One write transfer with stop, no pause and no page split.
  bool WriteOnce(BYTE select, DWORD address, const BYTE* data, size_t size);
  void Pause(DWORD milliseconds) { port_.Pause(milliseconds); }

 private:
  bool Write(BYTE select, bool stop, DWORD address, const BYTE* data, size_t size);

  BusPort& port_;
  int addressBytes_;
};

}  // namespace chimox
