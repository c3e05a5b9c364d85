// A serial EEPROM on the simulated bus, kept in an image file of raw bytes.
// The image's size picks the part:
//   512 bytes     two 256-byte blocks (block 0 then block 1), one address
//                 byte, selects 0xA0/0xA1 and 0xA2/0xA3, 8-byte pages;
//   16, 32 KByte  two address bytes (high first), select 0xA0/0xA1 only,
//                 64-byte pages;
//   64 KByte      the same with 128-byte pages.
// Addresses wrap at the memory size; sequential reads run on through the
// whole memory; page writes wrap inside their page. After each completed
// write (stop condition after at least one data byte) the part ignores its
// select byte for its write cycle of 5 ms, and the page is written back to
// the file durably: at once, or in the background while the host pauses,
// in which case the next start condition waits until it is on disk. Either
// way no later transaction completes before the write is durable.
#pragma once

#include <future>
#include <memory>
#include <string>
#include <vector>

#include "portix/BusClock.h"
#include "portix/BusDevice.h"
#include "portix/PortLock.h"

namespace portix {

class EepromModel final : public BusDevice {
 public:
  static constexpr LONGLONG kWriteCycleMicroseconds = 5000;

  static bool IsSupportedSize(size_t size);

  enum class WriteBack { kAtStop, kInBackground };

  // Opens the image, or creates it filled with 0xFF with newSize bytes when
  // it does not exist. Null on failure with *error set: an unsupported size,
  // or a file that cannot be read, created or opened for writing.
  static std::unique_ptr<EepromModel> Open(const std::string& path, size_t newSize, BusClock& clock, std::string* error,
                                           WriteBack writeBack = WriteBack::kAtStop);
  ~EepromModel() override;
  // Waits for a write-back in progress; false when it (or an earlier one)
  // could not be saved.
  bool Sync();

  // Takes the image's advisory lock without waiting and re-reads the file:
  // kHeld, kBusy (another holder) or kFailed with *error set. Once held, a
  // part that fell silent after a failed save answers again, from the file.
  PortLock Lock(std::string* error);
  // Saves what is pending and lets the lock go; false when a page could not
  // be saved. Harmless when not locked.
  bool Unlock();

  void CheckTiming(bool on) { checkTiming_ = on; }
  size_t timingViolations() const { return timingViolations_; }
  EepromModel(const EepromModel&) = delete;
  EepromModel& operator=(const EepromModel&) = delete;

  void OnLines(bool clockHigh, bool dataHigh) override;
  bool PullsDataLow() const override { return pullData_; }

  const std::vector<BYTE>& memory() const { return memory_; }
  // True once a write could not be saved; the part then answers nothing
  // until the next Lock.
  bool failed() const { return failed_; }

 private:
  enum class Phase { kIdle, kSelect, kAddress, kData, kTransmit };

  EepromModel(int fd, std::vector<BYTE> memory, BusClock& clock, WriteBack writeBack);

  void OnStart();
  void OnStop();
  void OnClockRise(bool data);
  void OnClockFall();
  // Takes a received byte; returns whether to acknowledge it.
  bool Receive(BYTE value);
  bool Accepts(BYTE select) const;
  bool Busy();
  void LoadNextByte();
  void DriveBit() { pullData_ = !((txByte_ >> (7 - bit_)) & 1); }
  void Commit();
  // Collects the background write-back; a failed one makes the part fall silent.
  void FinishWriteBack();
  void CheckTimes(bool clockHigh, bool dataHigh, bool wasClockHigh, bool wasDataHigh);
  LONGLONG Nanoseconds(LONGLONG counts) const;

  int fd_;
  std::vector<BYTE> memory_;
  BusClock& clock_;
  WriteBack writeBack_;
  std::future<bool> pendingWrite_;
  size_t pageSize_;
  int addressBytes_;

  bool clockHigh_ = true;
  bool dataHigh_ = true;
  bool pullData_ = false;
  bool failed_ = false;
  bool locked_ = false;
  LONGLONG busyUntil_ = 0;

  bool checkTiming_ = false;
  size_t timingViolations_ = 0;
  LONGLONG clockChanged_ = -1;  // counter at the last clock edge; -1 before the first
  LONGLONG startAt_ = -1;       // counter at the last start condition
  LONGLONG stopAt_ = -1;        // counter at the last stop condition
  LONGLONG clockRoseAt_ = -1;

  Phase phase_ = Phase::kIdle;
  int bit_ = 0;            // bits of the current byte received or sent
  bool ackClock_ = false;  // inside the acknowledge clock of a received byte
  BYTE shift_ = 0;
  BYTE txByte_ = 0;
  bool masterAck_ = false;

  size_t counter_ = 0;  // internal address counter
  size_t block_ = 0;    // block bit of a 512-byte part's select
  size_t address_ = 0;
  int addressLeft_ = 0;
  size_t pageBase_ = 0;
  std::vector<BYTE> page_;
  std::vector<bool> dirty_;
  bool anyDirty_ = false;
};

}  // namespace portix
