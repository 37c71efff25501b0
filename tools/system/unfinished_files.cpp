#include "tools/system/unfinished_files.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace {

// Enough for every job the tool runs at once, each writing one file.
constexpr int kEntries = 128;
// The longest path a Linux system call accepts, terminator included.
constexpr size_t kMaxPath = 4096;

enum EntryState : int { kFree, kFilling, kListed, kRemoving };

struct Entry {
  std::atomic<int> state{kFree};
  char path[kMaxPath];
};

// A signal handler may only touch atomics that need no lock.
static_assert(std::atomic<int>::is_always_lock_free);

Entry entries[kEntries];

}  // namespace

int listUnfinishedFile(const std::string& path) {
  if (path.size() >= kMaxPath) return -1;
  for (int index = 0; index < kEntries; ++index) {
    Entry& entry = entries[index];
    int expected = kFree;
    if (!entry.state.compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(entry.path, path.c_str(), path.size() + 1);
    entry.state.store(kListed);
    return index;
  }
  return -1;
}

void forgetUnfinishedFile(int index) {
  if (index < 0) return;
  // Fails only while a handler is removing the file; the process is ending
  // then, and the entry is never handed out again.
  int expected = kListed;
  entries[index].state.compare_exchange_strong(expected, kFree);
}

void removeUnfinishedFiles() {
  for (Entry& entry : entries) {
    int expected = kListed;
    if (entry.state.compare_exchange_strong(expected, kRemoving)) std::remove(entry.path);
  }
}
