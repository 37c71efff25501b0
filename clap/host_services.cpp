#include "clap/host_services.h"

#include "clap/interface/clap_abi_preset_discovery.h"

template <typename Extension>
const Extension* HostServices::extension(const char* id) const {
  return host && host->get_extension ? static_cast<const Extension*>(host->get_extension(host, id)) : nullptr;
}

// A host may still answer preset loading under the draft's id.
void HostServices::lookUp() {
  params = extension<clap_host_params_t>(CLAP_EXT_PARAMS);
  threadCheck = extension<clap_host_thread_check_t>(CLAP_EXT_THREAD_CHECK);
  timers = extension<clap_host_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
  presetLoad = extension<clap_host_preset_load_t>(CLAP_EXT_PRESET_LOAD);
  if (!presetLoad) presetLoad = extension<clap_host_preset_load_t>(CLAP_EXT_PRESET_LOAD_COMPAT);
}

bool HostServices::onMainThread() const {
  return !threadCheck || !threadCheck->is_main_thread || threadCheck->is_main_thread(host);
}

void HostServices::requestFlush() const {
  if (params && params->request_flush) {
    params->request_flush(host);
  } else if (host && host->request_process) {
    host->request_process(host);
  }
}

void HostServices::rescanValues() const {
  if (params && params->rescan) params->rescan(host, CLAP_PARAM_RESCAN_VALUES);
}

bool HostServices::registerTimer(uint32_t periodMilliseconds, clap_id* timer) const {
  return timers && timers->register_timer && timers->register_timer(host, periodMilliseconds, timer);
}

void HostServices::unregisterTimer(clap_id timer) const {
  if (timers && timers->unregister_timer) timers->unregister_timer(host, timer);
}

void HostServices::presetLoaded(const char* loadKey) const {
  if (presetLoad && presetLoad->loaded) presetLoad->loaded(host, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, loadKey);
}

void HostServices::presetRefused(const char* loadKey, const char* message) const {
  if (presetLoad && presetLoad->on_error) {
    presetLoad->on_error(host, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, loadKey, 0, message);
  }
}
