// The bus transaction over the port lines: start and stop conditions, bits
// and bytes with their timing, the select retry and the request format of
// DeviceControlIO. Knows nothing of how the lines are reached.
#pragma once

#include "platform/Types.h"
#include "portix/BusClock.h"
#include "portix/Lines.h"

namespace portix {

struct TransferResult {
  bool ok = false;
  DWORD lastError = 0;  // 0, 87, 4320 or 1117 as DeviceControlIO reports them
  DWORD count = 0;      // payload bytes moved, also on failure
};

class TwoWireBus {
 public:
  // Results of the primitives.
  enum Status : int {
    kOk = 0,
    kClockFault = 1,  // clock held low (after retries: for more than 3 s)
    kDataFault = 2,   // data held low by another party
    kNoAck = 3,       // a sent byte was not acknowledged
    kStopFault = 4,   // data stays low after a stop condition
    kPortFault = 5,   // the port itself could not be read or written
  };

  // Both must outlive the bus.
  TwoWireBus(Lines& lines, BusClock& clock) : lines_(lines), clock_(clock) {}

  // One transaction as DeviceControlIO describes it.
  TransferResult Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength);

  int Start();
  int Stop();
  int SendBit(int bit);
  // *bit receives 0 or 1.
  int ReceiveBit(int* bit);
  // kOk when acknowledged, kNoAck, kDataFault, kClockFault or kPortFault.
  int SendByte(BYTE value);
  // The final byte is answered with no acknowledge.
  int ReceiveByte(BYTE* value, bool final);

  static constexpr int kStuckClockSeconds = 3;

 private:
  // Reads the data register, sets or clears one bit and writes it back.
  bool SetOutput(BYTE bit, bool pullLow);
  bool Status(BYTE* value) { return lines_.ReadStatus(value); }
  // Repeats a primitive that failed with kClockFault until it succeeds or
  // the calendar clock has moved on by more than kStuckClockSeconds.
  template <typename Step>
  int RetryStuckClock(Step step);

  Lines& lines_;
  BusClock& clock_;
};

}  // namespace portix
