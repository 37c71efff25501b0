// Which of a CLAP plug-in's two symbolic threads the calling thread is.
//
// The main thread is the thread that made the instance (the program's main
// thread, or in a batch the job's own thread), whenever it is not rendering.
// The audio thread is whichever thread renders the instance at the moment: a
// render's or a batch job's thread during each block, JACK's thread in play,
// and the main thread itself while it renders the editor's idle blocks or
// starts and stops processing with nothing else rendering. The host never
// lets two threads render one instance at once, so one thread at a time is
// its audio thread, as CLAP asks.
#pragma once

#include <thread>

class ThreadRoles {
 public:
  ThreadRoles() : mainThread_(std::this_thread::get_id()) {}

  bool isMainThread() const { return rendering_ != this && std::this_thread::get_id() == mainThread_; }
  bool isAudioThread() const { return rendering_ == this; }

  // Makes the calling thread the instance's audio thread while it lives.
  class Rendering {
   public:
    explicit Rendering(const ThreadRoles& roles) : previous_(rendering_) { rendering_ = &roles; }
    ~Rendering() { rendering_ = previous_; }
    Rendering(const Rendering&) = delete;
    Rendering& operator=(const Rendering&) = delete;

   private:
    const ThreadRoles* previous_;
  };

 private:
  std::thread::id mainThread_;
  // The instance this thread renders now, if any.
  static inline thread_local const ThreadRoles* rendering_ = nullptr;
};
