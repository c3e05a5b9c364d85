#include "portix/PortSession.h"

#include "portix/PpdevLines.h"
#include "portix/RealClock.h"
#include "portix/SimulatedLines.h"
#include "portix/VirtualClock.h"

namespace portix {

std::unique_ptr<PortSession> PortSession::Open(const PortSetting& port, std::string* error) {
  std::unique_ptr<PortSession> session(new PortSession());
  switch (port.kind) {
    case PortSetting::Kind::kI2c:
      *error = port.path + " is an I2C adapter, not a parallel port";
      return nullptr;
    case PortSetting::Kind::kParallel:
      session->clock_ = std::make_unique<RealClock>();
      if (auto lines = PpdevLines::Open(port.path, error)) {
        session->ppdev_ = lines.get();
        session->lines_ = std::move(lines);
      }
      break;
    case PortSetting::Kind::kVirtual:
      if (port.fastTiming) {
        session->clock_ = std::make_unique<VirtualClock>();
      } else {
        session->clock_ = std::make_unique<RealClock>();
      }
      // With real timing the host pauses before each page write, long
      // enough to have the previous page saved in the background meanwhile.
      session->memory_ =
          EepromModel::Open(port.path, port.newImageSize, *session->clock_, error,
                            port.fastTiming ? EepromModel::WriteBack::kAtStop : EepromModel::WriteBack::kInBackground);
      if (!session->memory_) return nullptr;
      session->lines_ = std::make_unique<SimulatedLines>(session->memory_.get());
      break;
  }
  if (!session->lines_) return nullptr;
  session->bus_ = std::make_unique<TwoWireBus>(*session->lines_, *session->clock_);
  return session;
}

PortLock PortSession::Lock(std::string* error) {
  if (locked_) return PortLock::kHeld;
  const PortLock result = memory_ ? memory_->Lock(error) : ppdev_->Lock(error);
  locked_ = result == PortLock::kHeld;
  return result;
}

bool PortSession::Unlock() {
  if (!locked_) return true;
  locked_ = false;
  if (memory_) return memory_->Unlock();
  ppdev_->Unlock();
  return true;
}

}  // namespace portix
