#include "heap_in_use.h"

#if defined(__SANITIZE_ADDRESS__)
#define QUORLIN_ASAN_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORLIN_ASAN_HEAP 1
#endif
#endif

#ifdef QUORLIN_ASAN_HEAP
// Declared here: GCC's sanitizer runtime exports it without shipping its header.
extern "C" size_t __sanitizer_get_current_allocated_bytes();

size_t heapInUse() { return __sanitizer_get_current_allocated_bytes(); }
#else
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The size attribute of the last element that starts with `tag` in glibc's
// malloc_info report: the last ones are the totals over all arenas.
size_t lastSize(const char* report, const char* tag) {
  const char* found = nullptr;
  for (const char* at = std::strstr(report, tag); at != nullptr; at = std::strstr(at + 1, tag)) found = at;
  if (found == nullptr) return 0;
  const char* size = std::strstr(found, "size=\"");
  return size != nullptr ? std::strtoull(size + 6, nullptr, 10) : 0;
}

}  // namespace

// Every arena, not only the main one that mallinfo2 reports: libraries that
// render on threads of their own (Mesa's llvmpipe) allocate in theirs. The
// report is written into a fixed buffer, so measuring allocates nothing that
// outlives it.
size_t heapInUse() {
  static char report[1 << 20];
  std::memset(report, 0, sizeof report);
  FILE* stream = fmemopen(report, sizeof report - 1, "w");
  if (stream == nullptr) return 0;
  malloc_info(0, stream);
  std::fclose(stream);
  const size_t obtained = lastSize(report, "<system type=\"current\"") + lastSize(report, "<total type=\"mmap\"");
  const size_t free = lastSize(report, "<total type=\"fast\"") + lastSize(report, "<total type=\"rest\"");
  return obtained > free ? obtained - free : 0;
}
#endif
