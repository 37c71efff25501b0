#include "tools/commands/instance_gate.h"

InstanceGate::Instance InstanceGate::open() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    ++alive_;  // counted while it is being made, so that no other job takes its refusal as final
    const uint64_t closingsBefore = closings_;
    lock.unlock();
    try {
      return Instance(plugin_.instantiate().release(), [this](Instrument* instrument) { closed(instrument); });
    } catch (const InstanceRefused&) {
      lock.lock();
      --alive_;
      changed_.notify_all();
      if (alive_ == 0 && closings_ == closingsBefore) throw;
      changed_.wait(lock, [&] { return closings_ != closingsBefore || alive_ == 0; });
    } catch (...) {
      lock.lock();
      --alive_;
      changed_.notify_all();
      throw;
    }
  }
}

void InstanceGate::closed(Instrument* instrument) {
  delete instrument;
  const std::lock_guard<std::mutex> lock(mutex_);
  --alive_;
  ++closings_;
  changed_.notify_all();
}
