// The one-time notice that sound is unavailable: the programs play on in
// silence when the machine has no sound device, and say so where the user
// looks (Notara's status bar, Setora's window).
#pragma once

#include <QString>

#include "platform/WaveOut.h"

namespace SoundNotice {

// The notice once the wave output plays in silence for want of a device; empty otherwise.
inline QString Text() {
  return WaveOutUsesSilentFallback() != 0 ? QStringLiteral("Звук недоступен: нет аудио-устройства") : QString();
}

}  // namespace SoundNotice
