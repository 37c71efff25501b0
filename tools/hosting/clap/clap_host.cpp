#include "tools/hosting/clap/clap_host.h"

#include <cstdio>
#include <cstring>

#include "clap/interface/clap_abi_extensions.h"

namespace {

ClapHost& hostOf(const clap_host_t* host) { return *static_cast<ClapHost*>(host->host_data); }

}  // namespace

// Host functions CLAP allows on the main thread only are answered there and
// refused elsewhere; the others may come from any thread and only note the request.

const clap_host_log_t ClapHost::kLog = {
    [](const clap_host_t* host, clap_log_severity severity, const char* message) {
      hostOf(host).log_.write(severity, message);
    }};

const clap_host_thread_check_t ClapHost::kThreadCheck = {
    [](const clap_host_t* host) { return hostOf(host).threads_.isMainThread(); },
    [](const clap_host_t* host) { return hostOf(host).threads_.isAudioThread(); }};

// The tool keeps no automation and reads parameter values when it needs them,
// so a rescan or a clear leaves it nothing to forget.
const clap_host_params_t ClapHost::kParams = {
    [](const clap_host_t* host, clap_param_rescan_flags) { hostOf(host).onMainThread("params.rescan"); },
    [](const clap_host_t* host, clap_id, clap_param_clear_flags) {
      hostOf(host).onMainThread("params.clear");
    },
    [](const clap_host_t* host) {
      ClapHost& self = hostOf(host);
      if (self.threads_.isAudioThread()) return self.refuse("params.request_flush");
      self.flush_.store(true);
    }};

// The state is saved when asked for (--save), dirty or not.
const clap_host_state_t ClapHost::kState = {
    [](const clap_host_t* host) { hostOf(host).onMainThread("state.mark_dirty"); }};

const clap_host_gui_t ClapHost::kGui = {
    [](const clap_host_t*) {},
    [](const clap_host_t* host, uint32_t width, uint32_t height) {
      if (width == 0 || height == 0 || width > UINT16_MAX || height > UINT16_MAX) return false;
      hostOf(host).resize_.store(static_cast<uint64_t>(width) << 32 | height);
      return true;
    },
    // The editor is shown while its window is open, and only then.
    [](const clap_host_t*) { return false; },
    [](const clap_host_t*) { return false; },
    [](const clap_host_t* host, bool) { hostOf(host).editorClosed_.store(true); }};

// quorlin-host compensates no latency: a render holds the plug-in's output as it came.
const clap_host_latency_t ClapHost::kLatency = {[](const clap_host_t* host) {
  ClapHost& self = hostOf(host);
  if (self.onMainThread("latency.changed") && !self.activating_) {
    self.log_.write(CLAP_LOG_PLUGIN_MISBEHAVING, "said its latency changed outside activate; ignored");
  }
}};

// The ports are read once, when the instance is made; only their names may change later.
const clap_host_audio_ports_t ClapHost::kAudioPorts = {
    [](const clap_host_t* host, uint32_t flag) {
      return hostOf(host).onMainThread("audio_ports.is_rescan_flag_supported") &&
             flag == CLAP_AUDIO_PORTS_RESCAN_NAMES;
    },
    [](const clap_host_t* host, uint32_t) { hostOf(host).onMainThread("audio_ports.rescan"); }};

const clap_host_note_ports_t ClapHost::kNotePorts = {
    [](const clap_host_t* host) -> uint32_t {
      if (!hostOf(host).onMainThread("note_ports.supported_dialects")) return 0;
      return CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI;
    },
    [](const clap_host_t* host, uint32_t) { hostOf(host).onMainThread("note_ports.rescan"); }};

const clap_host_timer_support_t ClapHost::kTimerSupport = {
    [](const clap_host_t* host, uint32_t period, clap_id* id) {
      ClapHost& self = hostOf(host);
      return self.onMainThread("timer_support.register_timer") && self.timers_.add(period, id);
    },
    [](const clap_host_t* host, clap_id id) {
      ClapHost& self = hostOf(host);
      return self.onMainThread("timer_support.unregister_timer") && self.timers_.remove(id);
    }};

const clap_host_preset_load_t ClapHost::kPresetLoad = {
    [](const clap_host_t* host, uint32_t, const char*, const char*, int32_t, const char* message) {
      ClapHost& self = hostOf(host);
      if (!self.onMainThread("preset_load.on_error") || message == nullptr) return;
      try {
        self.presetError_ = message;
      } catch (...) {  // out of memory: the error goes unexplained rather than an exception into the plug-in
      }
    },
    [](const clap_host_t* host, uint32_t, const char*, const char*) {
      hostOf(host).onMainThread("preset_load.loaded");
    }};

#ifndef _WIN32
const clap_host_posix_fd_support_t ClapHost::kPosixFdSupport = {
    [](const clap_host_t* host, int fd, clap_posix_fd_flags_t flags) {
      ClapHost& self = hostOf(host);
      return self.onMainThread("posix_fd_support.register_fd") && self.fds_.add(fd, flags);
    },
    [](const clap_host_t* host, int fd, clap_posix_fd_flags_t flags) {
      ClapHost& self = hostOf(host);
      return self.onMainThread("posix_fd_support.modify_fd") && self.fds_.modify(fd, flags);
    },
    [](const clap_host_t* host, int fd) {
      ClapHost& self = hostOf(host);
      return self.onMainThread("posix_fd_support.unregister_fd") && self.fds_.remove(fd);
    }};
#endif

ClapHost::ClapHost(const std::string& pluginName) : log_(pluginName, threads_) {
  host_.clap_version = CLAP_VERSION;
  host_.host_data = this;
  host_.name = "quorlin-host";
  host_.vendor = "Quorlin";
  host_.url = "";
  host_.version = QUORLIN_VERSION;
  host_.get_extension = extension;
  host_.request_restart = [](const clap_host_t* host) { hostOf(host).restart_.store(true); };
  // The tool renders without pause while the instance is active: nothing to wake.
  host_.request_process = [](const clap_host_t*) {};
  host_.request_callback = [](const clap_host_t* host) { hostOf(host).callback_.store(true); };
}

const void* ClapHost::extension(const clap_host_t*, const char* id) {
  if (id == nullptr) return nullptr;
  const struct {
    const char* id;
    const void* table;
  } offered[] = {
      {CLAP_EXT_LOG, &kLog},
      {CLAP_EXT_THREAD_CHECK, &kThreadCheck},
      {CLAP_EXT_PARAMS, &kParams},
      {CLAP_EXT_STATE, &kState},
      {CLAP_EXT_GUI, &kGui},
      {CLAP_EXT_LATENCY, &kLatency},
      {CLAP_EXT_AUDIO_PORTS, &kAudioPorts},
      {CLAP_EXT_NOTE_PORTS, &kNotePorts},
      {CLAP_EXT_TIMER_SUPPORT, &kTimerSupport},
      {CLAP_EXT_PRESET_LOAD, &kPresetLoad},
      {CLAP_EXT_PRESET_LOAD_COMPAT, &kPresetLoad},
#ifndef _WIN32
      {CLAP_EXT_POSIX_FD_SUPPORT, &kPosixFdSupport},
#endif
  };
  for (const auto& extension : offered) {
    if (std::strcmp(id, extension.id) == 0) return extension.table;
  }
  return nullptr;
}

bool ClapHost::takeResizeRequest(uint32_t& width, uint32_t& height) {
  const uint64_t size = resize_.exchange(0);
  if (size == 0) return false;
  width = static_cast<uint32_t>(size >> 32);
  height = static_cast<uint32_t>(size & UINT32_MAX);
  return true;
}

bool ClapHost::hasWork() const {
  return callback_.load() || restart_.load() || flush_.load() || resize_.load() != 0 || !timers_.empty()
#ifndef _WIN32
         || !fds_.empty()
#endif
      ;
}

std::string ClapHost::takePresetError() {
  std::string error;
  error.swap(presetError_);
  return error;
}

bool ClapHost::onMainThread(const char* call) {
  if (threads_.isMainThread()) return true;
  refuse(call);
  return false;
}

void ClapHost::refuse(const char* call) {
  if (refused_.exchange(true)) return;
  // Made in place: on the audio thread nothing may be allocated.
  char message[160];
  std::snprintf(message, sizeof message, "called %s on %s, where CLAP does not allow it; refused (and any such call after it)",
                call, threads_.isAudioThread() ? "the audio thread" : "a thread other than the main thread");
  log_.write(CLAP_LOG_PLUGIN_MISBEHAVING, message);
}
