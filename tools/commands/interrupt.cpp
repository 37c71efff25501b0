#include "tools/commands/interrupt.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t requested = 0;

extern "C" void onInterrupt(int signal) {
  requested = 1;
  std::signal(signal, SIG_DFL);
}

}  // namespace

void catchInterrupts() {
  std::signal(SIGINT, onInterrupt);
  std::signal(SIGTERM, onInterrupt);
}

bool interruptRequested() { return requested != 0; }
