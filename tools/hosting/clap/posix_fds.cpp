#include "tools/hosting/clap/posix_fds.h"

#include <poll.h>

#include <algorithm>

PosixFds::Registered* PosixFds::find(int fd) {
  const auto found = std::find_if(fds_.begin(), fds_.end(), [fd](const Registered& r) { return r.fd == fd; });
  return found == fds_.end() ? nullptr : &*found;
}

bool PosixFds::add(int fd, clap_posix_fd_flags_t flags) {
  if (fd < 0 || find(fd) != nullptr) return false;
  try {
    fds_.push_back({fd, flags});
  } catch (...) {  // out of memory: called by the plug-in, so no exception may leave
    return false;
  }
  return true;
}

bool PosixFds::modify(int fd, clap_posix_fd_flags_t flags) {
  Registered* registered = find(fd);
  if (registered == nullptr) return false;
  registered->flags = flags;
  return true;
}

bool PosixFds::remove(int fd) {
  const auto found = std::find_if(fds_.begin(), fds_.end(), [fd](const Registered& r) { return r.fd == fd; });
  if (found == fds_.end()) return false;
  fds_.erase(found);
  return true;
}

void PosixFds::serve(const clap_plugin_t* plugin, const clap_plugin_posix_fd_support_t* support) {
  if (support == nullptr || support->on_fd == nullptr || fds_.empty()) return;
  std::vector<pollfd> polled;
  for (const Registered& registered : fds_) {
    short events = 0;
    if ((registered.flags & CLAP_POSIX_FD_READ) != 0) events |= POLLIN;
    if ((registered.flags & CLAP_POSIX_FD_WRITE) != 0) events |= POLLOUT;
    polled.push_back({registered.fd, events, 0});
  }
  if (poll(polled.data(), polled.size(), 0) <= 0) return;
  for (const pollfd& ready : polled) {
    clap_posix_fd_flags_t flags = 0;
    if ((ready.revents & POLLIN) != 0) flags |= CLAP_POSIX_FD_READ;
    if ((ready.revents & POLLOUT) != 0) flags |= CLAP_POSIX_FD_WRITE;
    if ((ready.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) flags |= CLAP_POSIX_FD_ERROR;
    // A descriptor the plug-in let go of in an earlier on_fd is not reported.
    if (flags != 0 && find(ready.fd) != nullptr) support->on_fd(plugin, ready.fd, flags);
  }
}
