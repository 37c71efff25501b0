// Hosts make every call but the audio ones from a single interface thread,
// and plug-ins of both formats rely on it (module-wide tables, a shared
// library's set-up, a plug-in description that is not safe to read twice at
// once). quorlin-host runs several instances on threads of their own, so
// those calls hold this lock: one interface thread at a time.
#pragma once

#include <mutex>

std::mutex& interfaceThread();
