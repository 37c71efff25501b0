#include "engine/vector_path.h"

#include <cpuid.h>

namespace {

constexpr unsigned kXmmAndYmmState = 0x6;  // XCR0 bits 1 and 2

// Whether the operating system saves and restores the 256-bit registers
// across thread switches: without that, using them corrupts other threads.
bool operatingSystemSavesYmm() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  if ((ecx & bit_OSXSAVE) == 0 || (ecx & bit_AVX) == 0) return false;
  unsigned low = 0, high = 0;
  __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
  return (low & kXmmAndYmmState) == kXmmAndYmmState;
}

bool processorHasAvx2() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  return __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) && (ebx & bit_AVX2) != 0;
}

}  // namespace

bool vectorPathSupported(VectorPath path) {
  switch (path) {
    case VectorPath::Avx2: return operatingSystemSavesYmm() && processorHasAvx2();
    case VectorPath::Sse2:
    default: return true;
  }
}

VectorPath bestVectorPath() { return vectorPathSupported(VectorPath::Avx2) ? VectorPath::Avx2 : VectorPath::Sse2; }

const char* vectorPathName(VectorPath path) {
  switch (path) {
    case VectorPath::Avx2: return "AVX2";
    case VectorPath::Sse2:
    default: return "SSE2";
  }
}
