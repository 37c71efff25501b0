// A setting that one thread writes while another reads it: the interface
// thread hands the engine its parameter values and sample rate while the
// audio thread renders. Every read and write is one atomic access, relaxed:
// no ordering among them is needed, because each value stands on its own, and
// the audio thread takes each at most once per run or per note. Atomic
// accesses of this size are plain loads and stores on x86, so the audio thread
// pays nothing for them, takes no lock and cannot see a torn value.
//
// A Relaxed<T> reads and assigns like a T; copying one copies its value.
#pragma once

#include <atomic>

template <typename T>
class Relaxed {
 public:
  Relaxed(T initial = T{}) : value(initial) {}  // converts from T like T itself
  Relaxed(const Relaxed& other) : value(other.load()) {}
  Relaxed& operator=(const Relaxed& other) {
    store(other.load());
    return *this;
  }
  Relaxed& operator=(T newValue) {
    store(newValue);
    return *this;
  }
  operator T() const { return load(); }
  T operator->() const { return load(); }  // when T is a pointer

  T load() const { return value.load(std::memory_order_relaxed); }
  void store(T newValue) { value.store(newValue, std::memory_order_relaxed); }

 private:
  static_assert(std::atomic<T>::is_always_lock_free, "the audio thread takes no lock");
  std::atomic<T> value;
};
