#include "tools/hosting/interface_thread.h"

std::mutex& interfaceThread() {
  static std::mutex calls;
  return calls;
}
