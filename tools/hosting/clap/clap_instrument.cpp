#include "tools/hosting/clap/clap_instrument.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "tools/files/clap_state_file.h"
#include "tools/files/lv2_preset_name.h"
#include "tools/files/preset_file.h"
#include "tools/hosting/clap/clap_description.h"
#include "tools/hosting/clap/clap_editor.h"
#include "tools/hosting/clap/clap_presets.h"
#include "tools/hosting/clap/clap_state.h"
#include "tools/hosting/interface_thread.h"
#include "tools/hosting/host_window.h"
#include "tools/hosting/instrument_plugin.h"
#include "tools/system/system_services.h"
#include "tools/system/tool_error.h"

namespace {

#ifdef _WIN32
const char* const kWindowApi = CLAP_WINDOW_API_WIN32;
const char* const kWindowName = "a Win32 window";
#else
const char* const kWindowApi = CLAP_WINDOW_API_X11;
const char* const kWindowName = "an X11 window";
#endif

template <typename Table>
const Table* extension(const clap_plugin_t* plugin, const char* id, const char* compatibleId = nullptr) {
  if (plugin->get_extension == nullptr) return nullptr;
  const void* table = plugin->get_extension(plugin, id);
  if (table == nullptr && compatibleId != nullptr) table = plugin->get_extension(plugin, compatibleId);
  return static_cast<const Table*>(table);
}

// The functions a host calls in every session; the others it asks for only
// when it has a use for them.
bool isComplete(const clap_plugin_t& plugin) {
  return plugin.init != nullptr && plugin.activate != nullptr && plugin.deactivate != nullptr &&
         plugin.start_processing != nullptr && plugin.stop_processing != nullptr && plugin.process != nullptr;
}

std::string labelOf(const ClapModule& module, const clap_plugin_descriptor_t& descriptor) {
  return module.plugins().size() > 1 ? module.path() + "#" + descriptor.id : module.path();
}

class ClapSavedState : public SavedState {
 public:
  ClapSavedState(std::string path, ClapStateFile file) : path_(std::move(path)), file_(std::move(file)) {}
  void write() override { writeClapStateFile(path_, file_); }

 private:
  std::string path_;
  ClapStateFile file_;
};

}  // namespace

ClapInstrument::ClapInstrument(std::shared_ptr<ClapModule> module, const clap_plugin_descriptor_t& descriptor)
    : module_(std::move(module)),
      descriptor_(descriptor),
      label_(labelOf(*module_, descriptor)),
      host_(descriptor.name != nullptr && *descriptor.name != '\0' ? descriptor.name : descriptor.id) {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  const clap_plugin_factory_t& factory = module_->pluginFactory();
  plugin_ = factory.create_plugin(&factory, host_.host(), descriptor_.id);
  if (plugin_ == nullptr) {
    throw InstanceRefused(kExitBadModule, label_ + ": the plug-in refused to start (create_plugin answered null)");
  }
  if (plugin_->destroy == nullptr) throw ToolError(kExitBadModule, label_ + ": not a CLAP plug-in: it has no destroy");
  if (!isComplete(*plugin_)) {
    plugin_->destroy(plugin_);
    throw ToolError(kExitBadModule, label_ + ": not a CLAP plug-in: its clap_plugin lacks a function");
  }
  if (!plugin_->init(plugin_)) {
    plugin_->destroy(plugin_);
    throw ToolError(kExitBadModule, label_ + ": the plug-in refused to start (its init answered false)");
  }
  extensions_.audioPorts = extension<clap_plugin_audio_ports_t>(plugin_, CLAP_EXT_AUDIO_PORTS);
  extensions_.notePorts = extension<clap_plugin_note_ports_t>(plugin_, CLAP_EXT_NOTE_PORTS);
  extensions_.params = extension<clap_plugin_params_t>(plugin_, CLAP_EXT_PARAMS);
  extensions_.state = extension<clap_plugin_state_t>(plugin_, CLAP_EXT_STATE);
  extensions_.gui = extension<clap_plugin_gui_t>(plugin_, CLAP_EXT_GUI);
  extensions_.timerSupport = extension<clap_plugin_timer_support_t>(plugin_, CLAP_EXT_TIMER_SUPPORT);
  extensions_.posixFdSupport = extension<clap_plugin_posix_fd_support_t>(plugin_, CLAP_EXT_POSIX_FD_SUPPORT);
  extensions_.presetLoad =
      extension<clap_plugin_preset_load_t>(plugin_, CLAP_EXT_PRESET_LOAD, CLAP_EXT_PRESET_LOAD_COMPAT);
  ports_ = readPorts(plugin_, extensions_.audioPorts, extensions_.notePorts);
  try {
    checkPlayable(ports_, label_);
  } catch (...) {
    plugin_->destroy(plugin_);
    throw;
  }
  noteInput_ = ports_.noteInput();
}

ClapInstrument::~ClapInstrument() {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  deactivate();
  plugin_->destroy(plugin_);
  host_.log().printQueued();
}

void ClapInstrument::setTiming(int32_t sampleRate, int32_t blockSize) {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  sampleRate_ = sampleRate;
  blockSize_ = blockSize;
  // Activated again at start, for the new rate or the larger block.
  if (active_ && (sampleRate_ != activeRate_ || blockSize_ > activeBlockSize_)) deactivate();
}

void ClapInstrument::configure(const SessionSettings& settings) {
  if (settings.program) {
    throw ToolError(kExitBadInput, "--program " + std::to_string(*settings.program) + ": " + label_ +
                                       " is a CLAP plug-in, which has no programs; load a preset with --preset");
  }
  setTiming(settings.sampleRate, settings.blockSize);
  const std::lock_guard<std::mutex> lock(interfaceThread());
  // Every value is checked before the plug-in is told anything.
  std::vector<ClapParameterValue> values =
      resolveParameterSettings(readParameters(plugin_, extensions_.params), settings.parameters, label_);
  if (!settings.preset.empty()) loadPreset(settings.preset);
  if (values.empty()) return;
  if (!active_) flushParameters(plugin_, extensions_.params, values);
  parameters_ = std::move(values);
  parametersSent_ = false;
  events_.reserve(parameters_.size());
}

// A state file of the tool's own, or a factory preset's name. Everything
// that can be refused is refused before the plug-in is told anything.
void ClapInstrument::loadPreset(const std::string& preset) {
  if (presetKindForFileName(preset) || isLv2PresetBundleName(preset)) {
    throw ToolError(kExitBadInput, "--preset " + preset + ": " + label_ + " is a CLAP plug-in; it takes a .clapstate " +
                                       "file or a factory preset's name (info lists them)");
  }
  if (identifyFile(preset).exists) {
    const ClapStateFile file = readClapStateFile(preset);
    if (file.pluginId != descriptor_.id) {
      throw ToolError(kExitBadInput, preset + ": a state of the plug-in '" + file.pluginId + "', not of this one '" +
                                         descriptor_.id + "'");
    }
    if (extensions_.state == nullptr) throw ToolError(kExitBadInput, preset + ": the plug-in keeps no state (no clap.state)");
    if (!loadClapState(plugin_, extensions_.state, file.state)) {
      throw ToolError(kExitBadInput, preset + ": the plug-in refused the state");
    }
    return;
  }
  const std::vector<ClapPreset> presets = discoverPresets(*module_, descriptor_.id);
  const auto named = std::find_if(presets.begin(), presets.end(), [&](const ClapPreset& p) { return p.name == preset; });
  if (named == presets.end()) {
    throw ToolError(kExitBadInput, "--preset " + preset + ": no such file, nor a factory preset of that name of " +
                                       label_ + " (info lists them)");
  }
  if (!::loadPreset(plugin_, extensions_.presetLoad, *named)) {
    const std::string reason = host_.takePresetError();
    throw ToolError(kExitBadInput, "--preset " + preset + ": the plug-in failed to load it" +
                                       (reason.empty() ? "" : ": " + reason));
  }
}

void ClapInstrument::activate() {
  if (active_) return;
  buffers_.prepare(ports_, static_cast<uint32_t>(blockSize_));
  host_.setActivating(true);
  const bool activated = plugin_->activate(plugin_, sampleRate_, 1, static_cast<uint32_t>(blockSize_));
  host_.setActivating(false);
  if (!activated) throw ToolError(kExitBadModule, label_ + ": the plug-in refused to start (its activate answered false)");
  active_ = true;
  activeRate_ = sampleRate_;
  activeBlockSize_ = blockSize_;
}

void ClapInstrument::deactivate() {
  if (processing_) stopProcessing();
  if (!active_) return;
  plugin_->deactivate(plugin_);
  active_ = false;
}

void ClapInstrument::startProcessing() {
  const ThreadRoles::Rendering rendering(host_.threads());
  if (!plugin_->start_processing(plugin_)) {
    throw ToolError(kExitBadModule, label_ + ": the plug-in refused to start (its start_processing answered false)");
  }
  processing_ = true;
  audioState_.store(kRunning);
}

void ClapInstrument::stopProcessing() {
  const ThreadRoles::Rendering rendering(host_.threads());
  plugin_->stop_processing(plugin_);
  processing_ = false;
}

void ClapInstrument::start() {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  activate();
  if (!processing_) startProcessing();
}

void ClapInstrument::stop() {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  if (processing_) stopProcessing();
}

void ClapInstrument::prepareForLive(int32_t capacity) {
  live_ = true;
  events_.reserve(static_cast<size_t>(capacity) + parameters_.size());
}

void ClapInstrument::takeParameters() {
  if (parametersSent_) return;
  for (const ClapParameterValue& value : parameters_) events_.addParameterValue(value.id, value.cookie, value.value, 0);
  parametersSent_ = true;
}

void ClapInstrument::sendEvents(const ScheduledEvent* first, const ScheduledEvent* last, int64_t blockStart) {
  takeParameters();
  for (const ScheduledEvent* event = first; event != last; ++event) {
    events_.addSongEvent(*event, static_cast<uint32_t>(event->frame - blockStart), noteInput_);
  }
}

// Live, a restart the main thread asked for: the audio thread's half of it.
bool ClapInstrument::audioReady() {
  switch (audioState_.load(std::memory_order_acquire)) {
    case kRunning:
      return true;
    case kStopAsked:
      plugin_->stop_processing(plugin_);
      processing_ = false;
      audioState_.store(kStopped, std::memory_order_release);
      return false;
    case kStartAsked:
      if (plugin_->start_processing(plugin_)) {
        processing_ = true;
        audioState_.store(kRunning, std::memory_order_release);
        return true;
      }
      host_.log().write(CLAP_LOG_ERROR, "refused to start processing again after a restart; playing silence");
      audioState_.store(kFailed, std::memory_order_release);
      return false;
    default:
      return false;
  }
}

void ClapInstrument::process(int32_t frames) {
  clap_process_status status = CLAP_PROCESS_CONTINUE;
  {
    const ThreadRoles::Rendering rendering(host_.threads());
    if (!audioReady()) {
      events_.clear();
      buffers_.silence(frames);
      return;
    }
    takeParameters();
    const clap_process_t block = {steadyTime_,
                                  static_cast<uint32_t>(frames),
                                  nullptr,
                                  buffers_.inputs(),
                                  buffers_.outputs(),
                                  buffers_.inputCount(),
                                  buffers_.outputCount(),
                                  events_.list(),
                                  ignoredOutputEvents()};
    status = plugin_->process(plugin_, &block);
    steadyTime_ += frames;
    events_.clear();
    if (status == CLAP_PROCESS_ERROR) {
      buffers_.silence(frames);
      if (live_ && !processFailed_.exchange(true)) {
        host_.log().write(CLAP_LOG_ERROR, "failed to process a block (its process answered CLAP_PROCESS_ERROR); silence played");
      }
    }
  }
  if (live_) return;
  // Offline, an error ends the render: a file with a hole in it is no result.
  if (status == CLAP_PROCESS_ERROR) {
    throw ToolError(kExitBadModule, label_ + ": the plug-in failed to process a block (its process answered "
                                             "CLAP_PROCESS_ERROR)");
  }
  serveMainThread();
}

void ClapInstrument::serveMainThread() {
  if (!host_.hasWork() && !host_.log().hasQueued() && !restartWanted_) return;
  const std::lock_guard<std::mutex> lock(interfaceThread());
  host_.log().printQueued();
  if (host_.takeCallbackRequest() && plugin_->on_main_thread != nullptr) plugin_->on_main_thread(plugin_);
  if (host_.takeRestartRequest()) restartWanted_ = true;
  if (restartWanted_) restart();
  if (host_.takeFlushRequest() && !active_) flushParameters(plugin_, extensions_.params, {});
  host_.timers().serve(plugin_, extensions_.timerSupport);
#ifndef _WIN32
  host_.fds().serve(plugin_, extensions_.posixFdSupport);
#endif
}

// Offline, the thread that renders is here, between two blocks: the whole
// restart is done at once. Live, the audio thread stops and starts processing
// itself, a period apart (audioReady), and the main thread comes back here
// for its half until the restart is done.
void ClapInstrument::restart() {
  if (!active_) {
    restartWanted_ = false;
    return;
  }
  if (!live_) {
    const bool wasProcessing = processing_;
    restartWanted_ = false;
    deactivate();
    activate();
    if (wasProcessing) startProcessing();
    return;
  }
  int expected = kRunning;
  if (audioState_.compare_exchange_strong(expected, kStopAsked)) return;  // the audio thread stops first
  if (expected == kStopAsked) return;  // not yet
  if (expected != kStopped) {  // failed for good, or restarted already
    restartWanted_ = false;
    return;
  }
  deactivate();
  try {
    activate();
  } catch (const ToolError& error) {
    std::fprintf(stderr, "quorlin-host: %s; playing silence\n", error.what());
    audioState_.store(kFailed);
    restartWanted_ = false;
    return;
  }
  audioState_.store(kStartAsked, std::memory_order_release);
  restartWanted_ = false;
}

InstrumentDescription ClapInstrument::describe(bool) {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  return describeClap(*this);
}

std::vector<std::pair<std::string, double>> ClapInstrument::parameterValues() {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  std::vector<std::pair<std::string, double>> values;
  if (extensions_.params == nullptr || extensions_.params->get_value == nullptr) return values;
  for (const clap_param_info_t& parameter : readParameters(plugin_, extensions_.params)) {
    double value = 0.0;
    if (extensions_.params->get_value(plugin_, parameter.id, &value)) values.emplace_back(std::to_string(parameter.id), value);
  }
  return values;
}

std::unique_ptr<SavedState> ClapInstrument::saveState(const std::string& path) {
  if (!isClapStateFileName(path)) {
    throw ToolError(kExitBadInput, "--save " + path + ": a CLAP plug-in's state goes into a file NAME.clapstate");
  }
  const std::lock_guard<std::mutex> lock(interfaceThread());
  if (extensions_.state == nullptr) throw ToolError(kExitBadModule, path + ": the plug-in keeps no state (no clap.state)");
  std::optional<std::vector<uint8_t>> state = saveClapState(plugin_, extensions_.state);
  if (!state) throw ToolError(kExitBadModule, path + ": the plug-in handed out no state (its save answered false)");
  return std::make_unique<ClapSavedState>(path, ClapStateFile{descriptor_.id, std::move(*state)});
}

std::optional<std::pair<int, int>> ClapInstrument::editorSize() {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  const clap_plugin_gui_t* gui = extensions_.gui;
  if (gui == nullptr || gui->create == nullptr || gui->destroy == nullptr || gui->set_parent == nullptr) {
    throw ToolError(kExitBadModule, label_ + ": the plug-in has no editor");
  }
  if (gui->is_api_supported == nullptr || !gui->is_api_supported(plugin_, kWindowApi, false)) {
    throw ToolError(kExitBadModule, label_ + ": the plug-in's editor does not open in " + std::string(kWindowName) +
                                        " (clap.gui " + kWindowApi + ")");
  }
  // Known only once the editor is made.
  return std::nullopt;
}

std::unique_ptr<InstrumentEditor> ClapInstrument::openEditor(HostWindow& window) {
  return std::make_unique<ClapEditor>(*this, window, kWindowApi);
}
