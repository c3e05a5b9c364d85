#include "portix/EepromModel.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace portix {

namespace {

std::string SystemError(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

bool WriteAll(int fd, const BYTE* data, size_t size, off_t offset) {
  while (size > 0) {
    const ssize_t written = pwrite(fd, data, size, offset);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<size_t>(written);
    offset += written;
  }
  return true;
}

bool ReadAll(int fd, BYTE* data, size_t size) {
  off_t offset = 0;
  while (size > 0) {
    const ssize_t got = pread(fd, data, size, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    data += got;
    size -= static_cast<size_t>(got);
    offset += got;
  }
  return true;
}

// Closes a descriptor on every path.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

// A new image appears whole or not at all: written beside the target, made
// durable, then renamed into place.
bool CreateImage(const std::string& path, size_t size, std::string* error) {
  const std::string temporary = path + ".new";
  Fd fd(open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (fd.get() < 0) {
    *error = SystemError("cannot create", temporary);
    return false;
  }
  const std::vector<BYTE> blank(size, 0xFF);
  if (!WriteAll(fd.get(), blank.data(), blank.size(), 0) || fsync(fd.get()) != 0) {
    *error = SystemError("cannot write", temporary);
    unlink(temporary.c_str());
    return false;
  }
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    *error = SystemError("cannot rename to", path);
    unlink(temporary.c_str());
    return false;
  }
  std::string folder = std::filesystem::path(path).parent_path().string();
  if (folder.empty()) folder = ".";
  Fd dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) fsync(dir.get());  // best effort: the file itself is already durable
  return true;
}

}  // namespace

bool EepromModel::IsSupportedSize(size_t size) {
  return size == 512 || size == 16384 || size == 32768 || size == 65536;
}

std::unique_ptr<EepromModel> EepromModel::Open(const std::string& path, size_t newSize, BusClock& clock,
                                               std::string* error, WriteBack writeBack) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    if (errno != ENOENT) {
      *error = SystemError("cannot inspect", path);
      return nullptr;
    }
    if (!IsSupportedSize(newSize)) {
      *error = "unsupported memory size " + std::to_string(newSize);
      return nullptr;
    }
    if (!CreateImage(path, newSize, error)) return nullptr;
  }
  Fd fd(open(path.c_str(), O_RDWR | O_CLOEXEC));
  if (fd.get() < 0 || fstat(fd.get(), &info) != 0) {
    *error = SystemError("cannot open", path);
    return nullptr;
  }
  const size_t size = static_cast<size_t>(info.st_size);
  if (!IsSupportedSize(size)) {
    *error = path + ": image size " + std::to_string(size) + " is not 512, 16384, 32768 or 65536 bytes";
    return nullptr;
  }
  std::vector<BYTE> memory(size);
  if (!ReadAll(fd.get(), memory.data(), size)) {
    *error = SystemError("cannot read", path);
    return nullptr;
  }
  return std::unique_ptr<EepromModel>(new EepromModel(fd.release(), std::move(memory), clock, writeBack));
}

EepromModel::EepromModel(int fd, std::vector<BYTE> memory, BusClock& clock, WriteBack writeBack)
    : fd_(fd), memory_(std::move(memory)), clock_(clock), writeBack_(writeBack) {
  const size_t size = memory_.size();
  pageSize_ = size == 512 ? 8 : size == 65536 ? 128 : 64;
  addressBytes_ = size == 512 ? 1 : 2;
  page_.assign(pageSize_, 0);
  dirty_.assign(pageSize_, false);
}

EepromModel::~EepromModel() {
  Unlock();
  close(fd_);
}

bool EepromModel::Sync() {
  FinishWriteBack();
  return !failed_;
}

PortLock EepromModel::Lock(std::string* error) {
  if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) return PortLock::kBusy;
    *error = std::string("cannot lock the image: ") + std::strerror(errno);
    return PortLock::kFailed;
  }
  locked_ = true;
  // Another process may have written since this one last held the lock.
  Sync();
  std::vector<BYTE> current(memory_.size());
  if (!ReadAll(fd_, current.data(), current.size())) {
    *error = std::string("cannot read the image: ") + std::strerror(errno);
    Unlock();
    return PortLock::kFailed;
  }
  memory_ = std::move(current);
  // The file is the part's memory: a write that could not be saved earlier
  // is not in it, and Unlock reported it, so the part answers again.
  failed_ = false;
  return PortLock::kHeld;
}

bool EepromModel::Unlock() {
  const bool saved = Sync();
  if (locked_) flock(fd_, LOCK_UN);
  locked_ = false;
  return saved;
}

void EepromModel::FinishWriteBack() {
  if (pendingWrite_.valid() && !pendingWrite_.get()) {
    failed_ = true;
    pullData_ = false;
    phase_ = Phase::kIdle;
  }
}

void EepromModel::OnLines(bool clockHigh, bool dataHigh) {
  const bool wasClockHigh = clockHigh_;
  const bool wasDataHigh = dataHigh_;
  clockHigh_ = clockHigh;
  dataHigh_ = dataHigh;
  if (checkTiming_) CheckTimes(clockHigh, dataHigh, wasClockHigh, wasDataHigh);
  if (failed_) return;
  if (clockHigh && wasClockHigh && dataHigh != wasDataHigh) {
    if (dataHigh) {
      OnStop();
    } else {
      OnStart();
    }
  } else if (clockHigh && !wasClockHigh) {
    OnClockRise(dataHigh);
  } else if (!clockHigh && wasClockHigh) {
    OnClockFall();
  }
}

LONGLONG EepromModel::Nanoseconds(LONGLONG counts) const {
  // Wide enough for a counter that runs in nanoseconds since boot.
  return static_cast<LONGLONG>(static_cast<__int128>(counts) * 1'000'000'000 / clock_.Frequency());
}

void EepromModel::CheckTimes(bool clockHigh, bool dataHigh, bool wasClockHigh, bool wasDataHigh) {
  const LONGLONG now = clock_.Counter();
  auto atLeast = [&](LONGLONG since, LONGLONG minimumNs) {
    if (since >= 0 && Nanoseconds(now - since) < minimumNs) ++timingViolations_;
  };
  if (clockHigh != wasClockHigh) {
    if (clockHigh) {
      atLeast(clockChanged_, 4700);  // clock low
      clockRoseAt_ = now;
    } else {
      atLeast(clockChanged_, 4000);  // clock high
      if (startAt_ >= 0 && startAt_ > clockRoseAt_) atLeast(startAt_, 4000);  // start hold
    }
    clockChanged_ = now;
  } else if (clockHigh && wasClockHigh && dataHigh != wasDataHigh) {
    if (dataHigh) {
      atLeast(clockRoseAt_, 4000);  // stop set-up
      stopAt_ = now;
    } else {
      atLeast(clockRoseAt_, 4700);  // start set-up (repeated start)
      atLeast(stopAt_, 4700);       // bus free after a stop
      startAt_ = now;
    }
  }
}

void EepromModel::OnStart() {
  FinishWriteBack();
  if (failed_) return;
  // A start in the middle of a write abandons it, as the real part does.
  phase_ = Phase::kSelect;
  bit_ = 0;
  shift_ = 0;
  ackClock_ = false;
  pullData_ = false;
  anyDirty_ = false;
  dirty_.assign(pageSize_, false);
}

void EepromModel::OnStop() {
  if (phase_ == Phase::kData && anyDirty_) Commit();
  phase_ = Phase::kIdle;
  ackClock_ = false;
  pullData_ = false;
}

void EepromModel::OnClockRise(bool data) {
  switch (phase_) {
    case Phase::kIdle:
      return;
    case Phase::kTransmit:
      if (!ackClock_ && bit_ == 8) masterAck_ = !data;
      return;
    default:
      if (!ackClock_ && bit_ < 8) {
        shift_ = static_cast<BYTE>((shift_ << 1) | (data ? 1 : 0));
        ++bit_;
      }
  }
}

void EepromModel::OnClockFall() {
  if (phase_ == Phase::kIdle) return;
  if (phase_ == Phase::kTransmit && !ackClock_) {
    if (bit_ < 8) {
      ++bit_;
      if (bit_ < 8) {
        DriveBit();
      } else {
        pullData_ = false;  // the host answers in the ninth clock
      }
    } else if (masterAck_) {
      LoadNextByte();
    } else {
      phase_ = Phase::kIdle;
      pullData_ = false;
    }
    return;
  }
  if (ackClock_) {
    // End of our acknowledge: release data, or start sending a read byte.
    ackClock_ = false;
    pullData_ = false;
    bit_ = 0;
    shift_ = 0;
    if (phase_ == Phase::kTransmit) LoadNextByte();
    return;
  }
  if (bit_ == 8) {
    if (Receive(shift_)) {
      ackClock_ = true;
      pullData_ = true;
    } else {
      phase_ = Phase::kIdle;
      pullData_ = false;
    }
  }
}

bool EepromModel::Accepts(BYTE select) const {
  // Chip-address pins are tied low; a 512-byte part uses bit 1 as its block bit.
  return addressBytes_ == 1 ? (select & 0xFC) == 0xA0 : (select & 0xFE) == 0xA0;
}

bool EepromModel::Busy() {
  return clock_.Counter() < busyUntil_;
}

bool EepromModel::Receive(BYTE value) {
  switch (phase_) {
    case Phase::kSelect:
      if (Busy() || !Accepts(value)) return false;
      if (value & 1) {
        phase_ = Phase::kTransmit;
      } else {
        phase_ = Phase::kAddress;
        block_ = (value >> 1) & 1;
        address_ = 0;
        addressLeft_ = addressBytes_;
      }
      return true;
    case Phase::kAddress:
      address_ = (address_ << 8) | value;
      if (--addressLeft_ == 0) {
        if (addressBytes_ == 1) address_ |= block_ << 8;
        counter_ = address_ % memory_.size();
        pageBase_ = counter_ - counter_ % pageSize_;
        phase_ = Phase::kData;
      }
      return true;
    case Phase::kData: {
      const size_t offset = counter_ - pageBase_;
      page_[offset] = value;
      dirty_[offset] = true;
      anyDirty_ = true;
      counter_ = pageBase_ + (offset + 1) % pageSize_;
      return true;
    }
    default:
      return false;
  }
}

void EepromModel::LoadNextByte() {
  txByte_ = memory_[counter_];
  counter_ = (counter_ + 1) % memory_.size();
  bit_ = 0;
  masterAck_ = false;
  DriveBit();
}

void EepromModel::Commit() {
  for (size_t i = 0; i < pageSize_; ++i) {
    if (dirty_[i]) memory_[pageBase_ + i] = page_[i];
  }
  dirty_.assign(pageSize_, false);
  anyDirty_ = false;
  busyUntil_ = clock_.Counter() + kWriteCycleMicroseconds * clock_.Frequency() / 1'000'000;

  // A write that cannot be saved must not look stored: the part falls silent
  // and every later transfer fails.
  std::vector<BYTE> page(memory_.begin() + static_cast<long>(pageBase_),
                         memory_.begin() + static_cast<long>(pageBase_ + pageSize_));
  auto save = [fd = fd_, offset = static_cast<off_t>(pageBase_), page = std::move(page)] {
    return WriteAll(fd, page.data(), page.size(), offset) && fdatasync(fd) == 0;
  };
  if (writeBack_ == WriteBack::kInBackground) {
    try {
      pendingWrite_ = std::async(std::launch::async, save);
      return;
    } catch (const std::system_error&) {
      // No thread to be had: save on the spot.
    }
  }
  if (!save()) {
    failed_ = true;
    pullData_ = false;
    phase_ = Phase::kIdle;
  }
}

}  // namespace portix
