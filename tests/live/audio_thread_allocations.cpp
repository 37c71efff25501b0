// Preloaded into quorlin-host play (LD_PRELOAD), counts the heap allocations
// made on its audio thread by anything, the host, the plug-in or a library.
// Like tests/alloc it counts at the allocator: here malloc and its kin, where
// every operator new ends. The audio thread is the one play names "quorlin
// audio". At exit, the file $QUORLIN_ALLOCATION_REPORT gets the number of
// threads so named and of their allocations: "THREADS ALLOCATIONS".
#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#define EXPORTED extern "C" __attribute__((visibility("default")))

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* block, size_t size);
extern "C" void* __libc_memalign(size_t alignment, size_t size);

namespace {

__thread bool onAudioThread __attribute__((tls_model("initial-exec"))) = false;
std::atomic<unsigned long> audioThreads{0};
std::atomic<unsigned long> allocations{0};

void count() { allocations += onAudioThread ? 1 : 0; }

__attribute__((destructor)) void report() {
  const char* path = std::getenv("QUORLIN_ALLOCATION_REPORT");
  std::FILE* file = path != nullptr ? std::fopen(path, "w") : nullptr;
  if (file == nullptr) return;
  std::fprintf(file, "%lu %lu\n", audioThreads.load(), allocations.load());
  std::fclose(file);
}

}  // namespace

EXPORTED int pthread_setname_np(pthread_t thread, const char* name) {
  using Setter = int (*)(pthread_t, const char*);
  static const auto setName = reinterpret_cast<Setter>(dlsym(RTLD_NEXT, "pthread_setname_np"));
  const int result = setName(thread, name);
  if (pthread_equal(thread, pthread_self()) && std::strcmp(name, "quorlin audio") == 0) {
    ++audioThreads;
    onAudioThread = true;
  }
  return result;
}

EXPORTED void* malloc(size_t size) { return count(), __libc_malloc(size); }
EXPORTED void* calloc(size_t items, size_t size) { return count(), __libc_calloc(items, size); }
EXPORTED void* realloc(void* block, size_t size) { return count(), __libc_realloc(block, size); }
EXPORTED void* memalign(size_t alignment, size_t size) { return count(), __libc_memalign(alignment, size); }
EXPORTED void* aligned_alloc(size_t alignment, size_t size) { return memalign(alignment, size); }
EXPORTED int posix_memalign(void** block, size_t alignment, size_t size) {
  return (*block = memalign(alignment, size)) != nullptr ? 0 : ENOMEM;
}
