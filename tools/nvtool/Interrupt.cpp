#include "Interrupt.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_requested = 0;

extern "C" void OnSignal(int) {
  g_requested = 1;
}

}  // namespace

bool Interrupt::Install() {
  struct sigaction action {};
  action.sa_handler = &OnSignal;
  sigemptyset(&action.sa_mask);
  return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0;
}

bool Interrupt::Requested() {
  return g_requested != 0;
}
