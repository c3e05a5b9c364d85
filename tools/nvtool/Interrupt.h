// Ctrl+C (SIGINT) and SIGTERM during long operations: the signal only sets a
// flag, which the waiting loops poll so that they can stop playback or
// cancel a device operation and leave everything in order.
#pragma once

class Interrupt {
 public:
  // Installs the handlers; false when the system refused.
  static bool Install();
  static bool Requested();
};
