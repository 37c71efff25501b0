#include "platform/module_instance.h"

// Kept apart from the entry points so that programs which build the
// instrument directly (tests, fuzzers) link without them.
void* moduleInstance = nullptr;
