#include "portix/TwoWireBus.h"

#include "portix/Portix.h"

namespace portix {

namespace {

TransferResult Failure(DWORD error, DWORD count) {
  return {false, error, count};
}

}  // namespace

TwoWireBus::TwoWireBus(Lines& lines, BusClock& clock)
    : lines_(lines), clock_(clock), settleTicks_(clock.Ticks(1)), holdTicks_(clock.Ticks(4)) {}

BusResult TwoWireBus::Drive(BYTE bit, bool pullLow) {
  BYTE data = 0;
  if (!lines_.ReadData(&data)) return BusResult::kPortFault;
  data = pullLow ? static_cast<BYTE>(data | bit) : static_cast<BYTE>(data & ~bit);
  AwaitDue();
  if (!lines_.WriteData(data)) return BusResult::kPortFault;
  // The line has changed by the time the write returns: the chain starts here.
  due_ = clock_.Counter() + settleTicks_;
  return BusResult::kOk;
}

BusResult TwoWireBus::ClockHigh() {
  if (const BusResult result = Drive(kClockOut, false); result != BusResult::kOk) return result;
  AwaitDue();
  BYTE status = 0;
  if (!lines_.ReadStatus(&status)) return BusResult::kPortFault;
  return (status & kClockHigh) ? BusResult::kOk : BusResult::kClockStuck;
}

BusResult TwoWireBus::DataIsLow(bool* low) {
  AwaitDue();
  BYTE status = 0;
  if (!lines_.ReadStatus(&status)) return BusResult::kPortFault;
  *low = (status & kDataLow) != 0;
  return BusResult::kOk;
}

// Runs the steps in order and returns the first result that is not kOk.
#define NV_BUS_STEP(step)                                             \
  do {                                                                \
    if (const BusResult r_ = (step); r_ != BusResult::kOk) return r_; \
  } while (false)

BusResult TwoWireBus::Start() {
  bool low = false;
  NV_BUS_STEP(DataHigh());
  NV_BUS_STEP(DataIsLow(&low));
  if (low) return BusResult::kDataStuck;
  Hold();
  NV_BUS_STEP(ClockHigh());
  Hold();
  NV_BUS_STEP(DataLow());  // data falls while the clock is high
  Hold();
  NV_BUS_STEP(ClockLow());
  return BusResult::kOk;  // assert: clock low, data low
}

BusResult TwoWireBus::Stop() {
  bool low = false;
  NV_BUS_STEP(DataLow());
  Hold();
  NV_BUS_STEP(ClockHigh());
  Hold();
  NV_BUS_STEP(DataHigh());  // data rises while the clock is high
  NV_BUS_STEP(DataIsLow(&low));
  return low ? BusResult::kStopFault : BusResult::kOk;  // assert: bus free
}

BusResult TwoWireBus::SendBit(int bit) {
  if (bit) {
    bool low = false;
    NV_BUS_STEP(DataHigh());
    NV_BUS_STEP(DataIsLow(&low));
    if (low) return BusResult::kDataStuck;  // another party holds data low
  } else {
    NV_BUS_STEP(DataLow());
  }
  Hold();
  NV_BUS_STEP(ClockHigh());  // on failure the clock stays released
  Hold();
  NV_BUS_STEP(ClockLow());
  return BusResult::kOk;
}

BusResult TwoWireBus::ReceiveBit(int* bit) {
  bool low = false;
  NV_BUS_STEP(DataHigh());  // the other party drives data now
  Hold();
  NV_BUS_STEP(ClockHigh());
  NV_BUS_STEP(DataIsLow(&low));
  *bit = low ? 0 : 1;
  Hold();
  NV_BUS_STEP(ClockLow());
  return BusResult::kOk;
}

#undef NV_BUS_STEP

template <typename Step>
BusResult TwoWireBus::RetryStuckClock(Step step) {
  const time_t started = clock_.CalendarSeconds();
  for (;;) {
    const BusResult result = step();
    if (result != BusResult::kClockStuck) return result;
    if (clock_.CalendarSeconds() - started > kStuckClockSeconds) return BusResult::kClockStuck;
  }
}

BusResult TwoWireBus::SendByte(BYTE value) {
  for (int i = 7; i >= 0; --i) {
    const int bit = (value >> i) & 1;
    const BusResult result = RetryStuckClock([&] { return SendBit(bit); });
    if (result != BusResult::kOk) return result;
  }
  int ack = 1;
  const BusResult result = RetryStuckClock([&] { return ReceiveBit(&ack); });
  if (result != BusResult::kOk) return result;
  return ack == 0 ? BusResult::kOk : BusResult::kNoAck;
}

BusResult TwoWireBus::ReceiveByte(BYTE* value, bool final) {
  int byte = 0;
  for (int i = 0; i < 8; ++i) {
    int bit = 0;
    const BusResult result = RetryStuckClock([&] { return ReceiveBit(&bit); });
    if (result != BusResult::kOk) return result;
    byte = (byte << 1) | bit;
  }
  const BusResult result = RetryStuckClock([&] { return SendBit(final ? 1 : 0); });
  if (result != BusResult::kOk) return result;
  *value = static_cast<BYTE>(byte);
  return BusResult::kOk;
}

TransferResult TwoWireBus::Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output,
                                    DWORD outputLength) {
  const TransferResult result = Transact(code, input, inputLength, output, outputLength);
  // The lines have settled and held before the port is left to anybody else.
  AwaitDue();
  return result;
}

TransferResult TwoWireBus::Transact(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output,
                                    DWORD outputLength) {
  if (!input || inputLength < 2) return Failure(ERROR_INVALID_PARAMETER, 0);

  // A memory busy with its write cycle ignores its select byte; it is asked
  // again, each time after a fresh start condition, for up to one second
  // (unless the caller only asks whether something answers).
  const bool selectOnce = input[1] == BUS_STOP_SELECT_ONCE;
  const LONGLONG deadline = clock_.Counter() + clock_.Ticks(1'000'000);
  if (Start() != BusResult::kOk) return Failure(ERROR_IO_DEVICE, 0);
  for (;;) {
    const BusResult result = SendByte(input[0]);
    if (result == BusResult::kOk) break;
    if (result != BusResult::kNoAck || selectOnce || clock_.Counter() > deadline) {
      return Failure(ERROR_IO_DEVICE, 0);
    }
    if (Start() != BusResult::kOk) return Failure(ERROR_IO_DEVICE, 0);
  }

  DWORD count = 0;
  if (code == IOCTL_BUS_WRITE) {
    for (DWORD i = 2; i < inputLength; ++i) {
      if (SendByte(input[i]) != BusResult::kOk) return Failure(ERROR_IO_DEVICE, count);
      ++count;
    }
  } else if (code == IOCTL_BUS_READ) {
    if (!output || outputLength == 0) return Failure(ERROR_INVALID_PARAMETER, 0);
    for (DWORD i = 0; i < outputLength; ++i) {
      if (ReceiveByte(&output[i], i + 1 == outputLength) != BusResult::kOk) return Failure(ERROR_IO_DEVICE, count);
      ++count;
    }
  } else {
    return Failure(ERROR_BUS_UNKNOWN_CODE, 0);
  }

  if (input[1] != 0 && Stop() != BusResult::kOk) return Failure(ERROR_IO_DEVICE, count);
  return {true, ERROR_SUCCESS, count};
}

}  // namespace portix
