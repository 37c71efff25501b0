// Preloaded into quorlin-host play (LD_PRELOAD), counts the heap allocations
// made on its audio thread, whatever makes them: the host, the plug-in or a
// library. Like tests/alloc, it counts at the allocator, here malloc and its
// kin, since the plug-in's operator new ends there too. The audio thread is
// the one that play names "quorlin audio" when JACK starts it. At exit, the
// file $QUORLIN_ALLOCATION_REPORT gets "THREADS ALLOCATIONS".
#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
}

namespace {

__thread bool onAudioThread __attribute__((tls_model("initial-exec"))) = false;
std::atomic<unsigned long> audioThreads{0};
std::atomic<unsigned long> allocations{0};

void count() {
  if (onAudioThread) allocations.fetch_add(1);
}

__attribute__((destructor)) void report() {
  const char* path = std::getenv("QUORLIN_ALLOCATION_REPORT");
  if (path == nullptr) return;
  if (std::FILE* file = std::fopen(path, "w")) {
    std::fprintf(file, "%lu %lu\n", audioThreads.load(), allocations.load());
    std::fclose(file);
  }
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int pthread_setname_np(pthread_t thread, const char* name) {
  using Setter = int (*)(pthread_t, const char*);
  static const Setter setName = reinterpret_cast<Setter>(dlsym(RTLD_NEXT, "pthread_setname_np"));
  const int result = setName(thread, name);
  if (pthread_equal(thread, pthread_self()) && std::strcmp(name, "quorlin audio") == 0) {
    audioThreads.fetch_add(1);
    onAudioThread = true;
  }
  return result;
}

__attribute__((visibility("default"))) void* malloc(size_t size) {
  count();
  return __libc_malloc(size);
}
__attribute__((visibility("default"))) void* calloc(size_t items, size_t size) {
  count();
  return __libc_calloc(items, size);
}
__attribute__((visibility("default"))) void* realloc(void* block, size_t size) {
  count();
  return __libc_realloc(block, size);
}
__attribute__((visibility("default"))) void* memalign(size_t alignment, size_t size) {
  count();
  return __libc_memalign(alignment, size);
}
__attribute__((visibility("default"))) void* aligned_alloc(size_t alignment, size_t size) {
  return memalign(alignment, size);
}
__attribute__((visibility("default"))) int posix_memalign(void** block, size_t alignment, size_t size) {
  *block = memalign(alignment, size);
  return *block != nullptr ? 0 : ENOMEM;
}

}  // extern "C"
