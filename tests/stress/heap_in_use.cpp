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

size_t heapInUse() { return mallinfo2().uordblks; }
#endif
