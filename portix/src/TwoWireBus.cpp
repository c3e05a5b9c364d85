#include "portix/TwoWireBus.h"

#include "portix/Portix.h"

namespace portix {

namespace {

constexpr DWORD kErrorInvalidParameter = 87;
constexpr DWORD kErrorIoDevice = 1117;

TransferResult Failure(DWORD error, DWORD count) {
  return {false, error, count};
}

}  // namespace

bool TwoWireBus::SetOutput(BYTE bit, bool pullLow) {
  BYTE data = 0;
  if (!lines_.ReadData(&data)) return false;
  data = pullLow ? static_cast<BYTE>(data | bit) : static_cast<BYTE>(data & ~bit);
  return lines_.WriteData(data);
}

// Every primitive below follows the same pattern: change one line, let it
// settle for 1 us, check what the other side made of it, then hold the level
// for 4 us before the next change (at least 11 us of waiting per bit).

int TwoWireBus::Start() {
  BYTE status = 0;
  if (!SetOutput(kDataOut, false)) return kPortFault;
  clock_.Delay(1);
  if (!Status(&status)) return kPortFault;
  if (status & kDataLow) return kDataFault;
  clock_.Delay(4);
  if (!SetOutput(kClockOut, false)) return kPortFault;
  clock_.Delay(1);
  if (!Status(&status)) return kPortFault;
  if (!(status & kClockHigh)) return kClockFault;
  clock_.Delay(4);
  if (!SetOutput(kDataOut, true)) return kPortFault;  // data falls while the clock is high
  clock_.Delay(1);
  clock_.Delay(4);
  if (!SetOutput(kClockOut, true)) return kPortFault;
  clock_.Delay(1);
  return kOk;
}

int TwoWireBus::Stop() {
  BYTE status = 0;
  if (!SetOutput(kDataOut, true)) return kPortFault;
  clock_.Delay(1);
  clock_.Delay(4);
  if (!SetOutput(kClockOut, false)) return kPortFault;
  clock_.Delay(1);
  if (!Status(&status)) return kPortFault;
  if (!(status & kClockHigh)) return kClockFault;
  clock_.Delay(4);
  if (!SetOutput(kDataOut, false)) return kPortFault;  // data rises while the clock is high
  clock_.Delay(1);
  if (!Status(&status)) return kPortFault;
  return (status & kDataLow) ? kStopFault : kOk;
}

int TwoWireBus::SendBit(int bit) {
  BYTE status = 0;
  if (bit) {
    if (!SetOutput(kDataOut, false)) return kPortFault;
    clock_.Delay(1);
    if (!Status(&status)) return kPortFault;
    if (status & kDataLow) return kDataFault;
  } else {
    if (!SetOutput(kDataOut, true)) return kPortFault;
    clock_.Delay(1);
  }
  clock_.Delay(4);
  if (!SetOutput(kClockOut, false)) return kPortFault;
  clock_.Delay(1);
  if (!Status(&status)) return kPortFault;
  if (!(status & kClockHigh)) return kClockFault;  // the clock stays released
  clock_.Delay(4);
  if (!SetOutput(kClockOut, true)) return kPortFault;
  clock_.Delay(1);
  return kOk;
}

int TwoWireBus::ReceiveBit(int* bit) {
  BYTE status = 0;
  if (!SetOutput(kDataOut, false)) return kPortFault;
  clock_.Delay(1);
  clock_.Delay(4);
  if (!SetOutput(kClockOut, false)) return kPortFault;
  clock_.Delay(1);
  if (!Status(&status)) return kPortFault;
  if (!(status & kClockHigh)) return kClockFault;
  if (!Status(&status)) return kPortFault;
  *bit = (status & kDataLow) ? 0 : 1;
  clock_.Delay(4);
  if (!SetOutput(kClockOut, true)) return kPortFault;
  clock_.Delay(1);
  return kOk;
}

template <typename Step>
int TwoWireBus::RetryStuckClock(Step step) {
  const time_t started = clock_.CalendarSeconds();
  for (;;) {
    const int result = step();
    if (result != kClockFault) return result;
    if (clock_.CalendarSeconds() - started > kStuckClockSeconds) return kClockFault;
  }
}

int TwoWireBus::SendByte(BYTE value) {
  for (int i = 7; i >= 0; --i) {
    const int bit = (value >> i) & 1;
    const int result = RetryStuckClock([&] { return SendBit(bit); });
    if (result != kOk) return result;
  }
  int ack = 1;
  const int result = RetryStuckClock([&] { return ReceiveBit(&ack); });
  if (result != kOk) return result;
  return ack == 0 ? kOk : kNoAck;
}

int TwoWireBus::ReceiveByte(BYTE* value, bool final) {
  int byte = 0;
  for (int i = 0; i < 8; ++i) {
    int bit = 0;
    const int result = RetryStuckClock([&] { return ReceiveBit(&bit); });
    if (result != kOk) return result;
    byte = (byte << 1) | bit;
  }
  const int result = RetryStuckClock([&] { return SendBit(final ? 1 : 0); });
  if (result != kOk) return result;
  *value = static_cast<BYTE>(byte);
  return kOk;
}

TransferResult TwoWireBus::Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output,
                                    DWORD outputLength) {
  if (!input || inputLength < 2) return Failure(kErrorInvalidParameter, 0);

  // A memory busy with its write cycle ignores its select byte; it is asked
  // again, each time after a fresh start condition, for up to one second.
  const LONGLONG deadline = clock_.Counter() + clock_.Frequency() + 1;
  if (Start() != kOk) return Failure(kErrorIoDevice, 0);
  for (;;) {
    const int result = SendByte(input[0]);
    if (result == kOk) break;
    if (result != kNoAck || clock_.Counter() > deadline) return Failure(kErrorIoDevice, 0);
    if (Start() != kOk) return Failure(kErrorIoDevice, 0);
  }

  DWORD count = 0;
  if (code == IOCTL_BUS_WRITE) {
    for (DWORD i = 2; i < inputLength; ++i) {
      if (SendByte(input[i]) != kOk) return Failure(kErrorIoDevice, count);
      ++count;
    }
  } else if (code == IOCTL_BUS_READ) {
    if (!output || outputLength == 0) return Failure(kErrorInvalidParameter, 0);
    for (DWORD i = 0; i < outputLength; ++i) {
      if (ReceiveByte(&output[i], i + 1 == outputLength) != kOk) return Failure(kErrorIoDevice, count);
      ++count;
    }
  } else {
    return Failure(ERROR_BUS_UNKNOWN_CODE, 0);
  }

  if (input[1] != 0 && Stop() != kOk) return Failure(kErrorIoDevice, count);
  return {true, 0, count};
}

}  // namespace portix
