// Helpers shared by the sound tests.
#pragma once

#include <string>

namespace soundtest {

// Points the wave output at the ALSA PCM `name` through the registry value
// "AudioDevice" (each test process has a registry of its own).
void UseAudioDevice(const std::string& name);

}  // namespace soundtest
