// The bus transaction over the port lines: start and stop conditions, bits
// and bytes with their timing, the select retry and the request format of
// DeviceControlIO. Knows nothing of how the lines are reached.
//
// Both lines are open-drain: the host pulls a line low or releases it and
// reads back what the bus makes of it. Each line helper changes one line
// and lets it settle for 1 us; Hold() keeps the levels for 4 us, so a bit
// takes at least 11 us of waiting.
//
// The waits after a line change form one chain counted from the moment the
// change was written, and the bus waits for the chain's end only right
// before it next reads the status or changes a line (and before a transfer
// returns). So the work in between (status reads, the retry bookkeeping,
// the return from a wait) falls inside the waits instead of lengthening
// each bit, while every level still stands for at least the full time after
// the change that set it.
#pragma once

#include "platform/Types.h"
#include "portix/BusClock.h"
#include "portix/Lines.h"

namespace portix {

struct TransferResult {
  bool ok = false;
  DWORD lastError = ERROR_SUCCESS;  // ERROR_SUCCESS, ERROR_INVALID_PARAMETER, ERROR_BUS_UNKNOWN_CODE, ERROR_IO_DEVICE
  DWORD count = 0;                  // payload bytes moved, also on failure
};

// Results of the bus primitives.
enum class BusResult {
  kOk = 0,
  kClockStuck = 1,  // the clock stays low when released (after retries: for more than 3 s)
  kDataStuck = 2,   // another party holds the data line low
  kNoAck = 3,       // a sent byte was not acknowledged
  kStopFault = 4,   // data stays low after a stop condition
  kPortFault = 5,   // the port itself could not be read or written
};

class TwoWireBus {
 public:
  // Both must outlive the bus.
  TwoWireBus(Lines& lines, BusClock& clock);

  // One transaction as DeviceControlIO describes it.
  TransferResult Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength);

  // Clock released and high, then data falls. Ends with the clock low.
  BusResult Start();
  // Data low, clock released, then data rises. kStopFault when data stays low.
  BusResult Stop();
  // Starts and ends with the clock low.
  BusResult SendBit(int bit);
  // *bit receives 0 or 1. Starts and ends with the clock low.
  BusResult ReceiveBit(int* bit);
  // kOk when acknowledged, kNoAck, kDataStuck, kClockStuck or kPortFault.
  BusResult SendByte(BYTE value);
  // The final byte is answered with no acknowledge.
  BusResult ReceiveByte(BYTE* value, bool final);

  static constexpr int kStuckClockSeconds = 3;

 private:
  // One line, one level, 1 us to settle. ClockHigh fails with kClockStuck
  // when the clock stays low (a party stretches it or the line is held).
  BusResult DataHigh() { return Drive(kDataOut, false); }
  BusResult DataLow() { return Drive(kDataOut, true); }
  BusResult ClockHigh();
  BusResult ClockLow() { return Drive(kClockOut, true); }
  // Keeps the lines as they are for 4 us more.
  void Hold() { due_ += holdTicks_; }
  // Returns once the chain of waits since the last change has run out.
  void AwaitDue() { clock_.WaitUntil(due_); }
  // Reads the data line as the bus shows it now.
  BusResult DataIsLow(bool* low);

  // Reads the data register, sets or clears one bit, writes it back once the
  // waits before have run out; then 1 us to settle, counted from the write.
  BusResult Drive(BYTE bit, bool pullLow);
  // Transfer without the final wait.
  TransferResult Transact(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength);
  // Repeats a primitive that failed with kClockStuck until it succeeds or
  // the calendar clock has moved on by more than kStuckClockSeconds.
  template <typename Step>
  BusResult RetryStuckClock(Step step);

  Lines& lines_;
  BusClock& clock_;
  // Counts of 1 us and 4 us, each with the one extra count of a delay.
  const LONGLONG settleTicks_;
  const LONGLONG holdTicks_;
  LONGLONG due_ = 0;  // end of the current chain of waits
};

}  // namespace portix
