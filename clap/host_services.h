// What the plug-in asks of its host, through the host's extensions where the
// host gives them; without one, the request is simply not made (and the
// thread check trusts the host). Looked up once, in the plug-in's init.
#pragma once

#include "clap/interface/clap_abi.h"
#include "clap/interface/clap_abi_extensions.h"

class HostServices {
 public:
  explicit HostServices(const clap_host_t* host) : host(host) {}

  /// Finds the host's extensions; main thread, from the plug-in's init on.
  void lookUp();

  /// Whether this is the host's main thread; true when the host cannot tell.
  bool onMainThread() const;
  /// Asks for a flush (or a process call) to carry values to and from the
  /// audio thread; any thread but the audio thread.
  void requestFlush() const;
  /// Tells the host that every parameter's value may have changed.
  void rescanValues() const;
  /// A periodic call of the plug-in's on_timer; false when the host has none.
  bool registerTimer(uint32_t periodMilliseconds, clap_id* timer) const;
  void unregisterTimer(clap_id timer) const;
  /// Tells the host how loading a preset went.
  void presetLoaded(const char* loadKey) const;
  void presetRefused(const char* loadKey, const char* message) const;

 private:
  template <typename Extension>
  const Extension* extension(const char* id) const;

  const clap_host_t* host;
  const clap_host_params_t* params = nullptr;
  const clap_host_thread_check_t* threadCheck = nullptr;
  const clap_host_timer_support_t* timers = nullptr;
  const clap_host_preset_load_t* presetLoad = nullptr;
};
