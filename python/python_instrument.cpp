#include "python/python_instrument.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "tools/files/number_text.h"
#include "python/quorlin_bundle.h"
#include "tools/files/lv2_preset_name.h"
#include "tools/system/output_file.h"
#include "tools/system/tool_error.h"

namespace {

bool isWholeNumber(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void setValue(std::vector<std::pair<std::string, float>>& parameters, const std::string& key, float value) {
  parameters.erase(std::remove_if(parameters.begin(), parameters.end(), [&](const auto& set) { return set.first == key; }),
                   parameters.end());
  parameters.emplace_back(key, value);
}

float* allocateSamples(size_t count) {
  auto* samples = static_cast<float*>(std::malloc(std::max<size_t>(count, 1) * sizeof(float)));
  if (samples == nullptr) throw std::bad_alloc();
  return samples;
}

}  // namespace

PythonInstrument::PythonInstrument(std::optional<std::string> path, int32_t rate, int32_t block)
    : path_(std::move(path)), rate_(rate), block_(block) {
  plugin_ = loadInstrumentPlugin(path_ ? *path_ : quorlinBundlePath());
  const std::unique_ptr<Instrument> instrument = configured(settings_);
  names_ = nameParameters(*instrument);
  values_ = instrument->parameterValues();
}

SessionSettings PythonInstrument::sessionOf(const ScriptSettings& settings) const {
  SessionSettings session;
  session.sampleRate = rate_;
  session.blockSize = block_;
  session.preset = settings.preset;
  session.program = settings.program;
  for (const auto& [key, value] : settings.parameters) {
    session.parameters.push_back({key, value, pythonNumber(value)});
  }
  return session;
}

std::unique_ptr<Instrument> PythonInstrument::configured(const ScriptSettings& settings) {
  std::unique_ptr<Instrument> instrument = plugin_->instantiate();
  instrument->configure(sessionOf(settings));
  return instrument;
}

void PythonInstrument::adopt(const ScriptSettings& settings) {
  const std::unique_ptr<Instrument> instrument = configured(settings);
  values_ = instrument->parameterValues();
  settings_ = settings;
}

std::vector<std::pair<std::string, float>> PythonInstrument::parameters() {
  const std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::pair<std::string, float>> named;
  for (const NamedParameter& parameter : names_) {
    for (const auto& [key, value] : values_) {
      if (key == parameter.key) named.emplace_back(parameter.name, static_cast<float>(value));
    }
  }
  return named;
}

ScriptSettings PythonInstrument::settings() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return settings_;
}

void PythonInstrument::setParameters(const std::vector<std::pair<std::string, double>>& values) {
  const std::lock_guard<std::mutex> lock(mutex_);
  ScriptSettings changed = settings_;
  for (const auto& [name, value] : values) {
    const auto named = std::find_if(names_.begin(), names_.end(), [&](const NamedParameter& p) { return p.name == name; });
    if (named == names_.end() && !isWholeNumber(name)) {
      throw ToolError(kExitBadInput, "set_parameters: " + plugin_->name() + " has no parameter '" + name +
                                         "' (Instrument.parameters lists them)");
    }
    const std::string key = named != names_.end() ? named->key : name;
    if (!std::isfinite(value)) {
      throw ToolError(kExitBadInput, "--param " + key + "=" + pythonNumber(value) + ": not a finite number");
    }
    setValue(changed.parameters, key, static_cast<float>(value));
  }
  adopt(changed);
}

void PythonInstrument::loadPreset(const std::string& preset, std::optional<int32_t> program) {
  const std::lock_guard<std::mutex> lock(mutex_);
  ScriptSettings changed;
  changed.preset = preset;
  changed.program = program;
  adopt(changed);
}

void PythonInstrument::restore(const ScriptSettings& settings) {
  const std::lock_guard<std::mutex> lock(mutex_);
  adopt(settings);
}

void PythonInstrument::savePreset(const std::string& path) {
  const std::lock_guard<std::mutex> lock(mutex_);
  refuseUnsafeOutput(path, plugin_->files(), isLv2PresetBundleName(path));
  const std::unique_ptr<Instrument> instrument = configured(settings_);
  instrument->saveState(path)->write();
}

RenderedSong PythonInstrument::render(const MidiSchedule& schedule, const SongEnd& end,
                                      const std::function<void()>& betweenBlocks) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const std::unique_ptr<Instrument> instrument = configured(settings_);
  RenderedSong song;
  song.channels = renderedChannels(*instrument, plugin_->name());
  // Room for the longest the song can be; pages a shorter song never writes are never touched.
  const auto capacity = static_cast<size_t>(end.mostFrames);
  song.samples.reset(allocateSamples(song.channels * capacity));
  playSong(*instrument, schedule, end, rate_, block_, [&](const float* const* outputs, int32_t frames) {
    for (int channel = 0; channel < song.channels; ++channel) {
      std::memcpy(song.samples.get() + channel * capacity + song.frames, outputs[channel], frames * sizeof(float));
    }
    song.frames += frames;
    betweenBlocks();
  });
  const auto frames = static_cast<size_t>(song.frames);
  if (frames < capacity) {
    // The rows close up, and the room after them goes back.
    for (int channel = 1; channel < song.channels; ++channel) {
      std::memmove(song.samples.get() + channel * frames, song.samples.get() + channel * capacity,
                   frames * sizeof(float));
    }
    auto* kept = static_cast<float*>(std::realloc(song.samples.get(), std::max<size_t>(song.channels * frames, 1) *
                                                                          sizeof(float)));
    if (kept != nullptr) {
      song.samples.release();
      song.samples.reset(kept);
    }
  }
  return song;
}
