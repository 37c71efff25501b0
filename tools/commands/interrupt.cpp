#include "tools/commands/interrupt.h"

#include <atomic>
#include <csignal>

#include "tools/system/unfinished_files.h"
#include "tools/system/system_services.h"

namespace {

std::atomic<int> requests{0};

extern "C" void onInterrupt(int signal) {
  if (requests.fetch_add(1) == 0) {
    // Some systems reset the handler before calling it: the second request must find it too.
    std::signal(signal, onInterrupt);
#ifdef SIGPIPE
    // Once the reader is gone, further writes to it should fail, not signal again.
    if (signal == SIGPIPE) std::signal(SIGPIPE, SIG_IGN);
#endif
    return;
  }
  removeUnfinishedFiles();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

void catchInterrupts() {
  for (int signal : {SIGINT, SIGTERM}) std::signal(signal, onInterrupt);
#ifdef SIGHUP
  std::signal(SIGHUP, onInterrupt);
#endif
#ifdef SIGPIPE
  std::signal(SIGPIPE, onInterrupt);
#endif
#ifdef SIGBREAK
  std::signal(SIGBREAK, onInterrupt);
#endif
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  onConsoleClose(removeUnfinishedFiles);
}

bool interruptRequested() { return requests.load() != 0; }
