// Preloaded into quorlin-host play (LD_PRELOAD), counts what its audio thread
// must never do, whoever does it (the host, the plug-in or a library): heap
// allocations and printing. Like tests/alloc it counts at the allocator:
// here malloc and its kin, where every operator new ends; and at the C
// library's printing functions (each takes the stream's lock and may write).
// The audio thread is the one play names "quorlin audio". At exit, the file
// $QUORLIN_AUDIT_REPORT gets the number of threads so named, of their
// allocations and of their prints: "THREADS ALLOCATIONS PRINTS".
#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
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
std::atomic<unsigned long> prints{0};

void count() { allocations += onAudioThread ? 1 : 0; }

// The C library's own function `name`, which this one stands in front of.
template <typename Function>
Function next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

int printed(FILE* stream, const char* format, va_list arguments) {
  prints += onAudioThread ? 1 : 0;
  static const auto print = next<int (*)(FILE*, const char*, va_list)>("vfprintf");
  return print(stream, format, arguments);
}

__attribute__((destructor)) void report() {
  const char* path = std::getenv("QUORLIN_AUDIT_REPORT");
  std::FILE* file = path != nullptr ? std::fopen(path, "w") : nullptr;
  if (file == nullptr) return;
  std::fprintf(file, "%lu %lu %lu\n", audioThreads.load(), allocations.load(), prints.load());
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

EXPORTED int vfprintf(FILE* stream, const char* format, va_list arguments) { return printed(stream, format, arguments); }
EXPORTED int fprintf(FILE* stream, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const int result = printed(stream, format, arguments);
  va_end(arguments);
  return result;
}
EXPORTED int fputs(const char* text, FILE* stream) {
  prints += onAudioThread ? 1 : 0;
  static const auto put = next<int (*)(const char*, FILE*)>("fputs");
  return put(text, stream);
}
