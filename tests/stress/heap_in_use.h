// Bytes the process has allocated and not yet freed, from the allocator in
// use: AddressSanitizer's when the build is sanitized, glibc's otherwise.
#pragma once

#include <cstddef>

size_t heapInUse();
