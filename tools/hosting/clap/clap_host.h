// The clap_host an instance is given, and the host extensions quorlin-host
// offers: log, thread-check, params, state, gui, latency, audio-ports,
// note-ports, timer-support, preset-load and, on Linux, posix-fd-support.
//
// What a plug-in asks of the host from any thread (a main-thread callback,
// a restart, a flush, a new editor size) is only noted here, in atomics; the
// instrument does it on the main thread at its next regular call
// (ClapInstrument::serveMainThread). A call that CLAP allows on the main
// thread only is refused from any other, with one message saying so: the
// plug-in gets thread-check's answer, never a crash.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "clap/interface/clap_abi.h"
#include "tools/hosting/clap/clap_log.h"
#include "tools/hosting/clap/clap_timers.h"
#include "tools/hosting/clap/thread_roles.h"
#ifndef _WIN32
#include "tools/hosting/clap/posix_fds.h"
#endif

class ClapHost {
 public:
  explicit ClapHost(const std::string& pluginName);
  ClapHost(const ClapHost&) = delete;
  ClapHost& operator=(const ClapHost&) = delete;

  const clap_host_t* host() const { return &host_; }
  const ThreadRoles& threads() const { return threads_; }
  ClapLog& log() { return log_; }
  ClapTimers& timers() { return timers_; }
#ifndef _WIN32
  PosixFds& fds() { return fds_; }
#endif

  // Each answers true once for every time the plug-in asked since.
  bool takeCallbackRequest() { return callback_.exchange(false); }
  bool takeRestartRequest() { return restart_.exchange(false); }
  bool takeFlushRequest() { return flush_.exchange(false); }
  // The editor size the plug-in asked for last, once.
  bool takeResizeRequest(uint32_t& width, uint32_t& height);
  // The plug-in said its editor is gone.
  bool editorClosed() const { return editorClosed_.load(); }
  // Whether the main thread has anything to do for the plug-in now.
  bool hasWork() const;
  // Around the plug-in's activate, the one time it may say its latency changed.
  void setActivating(bool activating) { activating_ = activating; }
  // Why the plug-in's last preset load failed, in its words (empty if it gave none); once.
  std::string takePresetError();

 private:
  static const void* CLAP_ABI extension(const clap_host_t* host, const char* id);
  // True on the main thread; elsewhere says once that `call` was refused there.
  bool onMainThread(const char* call);
  // Says once that the plug-in called `call` on a thread where CLAP forbids it.
  void refuse(const char* call);

  static const clap_host_log_t kLog;
  static const clap_host_thread_check_t kThreadCheck;
  static const clap_host_params_t kParams;
  static const clap_host_state_t kState;
  static const clap_host_gui_t kGui;
  static const clap_host_latency_t kLatency;
  static const clap_host_audio_ports_t kAudioPorts;
  static const clap_host_note_ports_t kNotePorts;
  static const clap_host_timer_support_t kTimerSupport;
  static const clap_host_preset_load_t kPresetLoad;
#ifndef _WIN32
  static const clap_host_posix_fd_support_t kPosixFdSupport;
  PosixFds fds_;
#endif

  clap_host_t host_;
  ThreadRoles threads_;
  ClapLog log_;
  ClapTimers timers_;
  std::atomic<bool> callback_{false};
  std::atomic<bool> restart_{false};
  std::atomic<bool> flush_{false};
  std::atomic<uint64_t> resize_{0};  // width << 32 | height, 0 for none
  std::atomic<bool> editorClosed_{false};
  std::atomic<bool> refused_{false};
  bool activating_ = false;
  std::string presetError_;
};
