// clap.posix-fd-support: the file descriptors a plug-in hooks into the
// host's event loop (an X11 connection, a pipe from its own threads), polled
// at each of the main thread's regular calls and handed to the plug-in's
// on_fd there while they are ready (level-triggered, as CLAP asks).
#pragma once

#include <vector>

#include "clap/interface/clap_abi_extensions.h"

class PosixFds {
 public:
  bool add(int fd, clap_posix_fd_flags_t flags);
  bool modify(int fd, clap_posix_fd_flags_t flags);
  bool remove(int fd);
  bool empty() const { return fds_.empty(); }
  // Calls the plug-in's on_fd for each descriptor ready now, never waiting.
  void serve(const clap_plugin_t* plugin, const clap_plugin_posix_fd_support_t* support);

 private:
  struct Registered {
    int fd;
    clap_posix_fd_flags_t flags;
  };
  Registered* find(int fd);
  std::vector<Registered> fds_;
};
