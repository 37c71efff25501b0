// The C++ side of quorlin.Instrument: a plug-in loaded once, and the preset,
// program and parameter values a script gave it.
//
// Every render, every check of new values and every preset saved makes a
// fresh instance of the plug-in, configured with the settings from nothing,
// and closes it when done: no render hears what another left in a plug-in,
// so the same call gives the same bits in any order and on any thread, as
// each song of `quorlin-host render --batch` does. An instance is alive only
// while one of these runs, never between calls (the Quorlin VST 2 module
// allows eight at a time in a process).
//
// Python threads may share one object: a lock serialises its users, and the
// settings change only under it, whole, after a fresh instance took them.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "python/parameter_names.h"
#include "tools/hosting/instrument_plugin.h"
#include "tools/hosting/song_player.h"

// A render's samples: `channels` rows of `frames` floats, one after another,
// in memory from malloc (numpy takes it over without a copy).
struct RenderedSong {
  struct Free {
    void operator()(float* samples) const { std::free(samples); }
  };
  int channels = 0;
  int64_t frames = 0;
  std::unique_ptr<float[], Free> samples;
};

// What a script set, as --preset, --program and --param take it: what a
// pickled instrument carries.
struct ScriptSettings {
  std::string preset;  // none when empty
  std::optional<int32_t> program;
  std::vector<std::pair<std::string, float>> parameters;  // by the key --param takes, in the order set
};

class PythonInstrument {
 public:
  // The plug-in `path` names, Quorlin's own LV2 bundle when none, rendered at
  // `rate` in blocks of `block`. Throws ToolError as loading and starting do.
  PythonInstrument(std::optional<std::string> path, int32_t rate, int32_t block);

  const std::optional<std::string>& path() const { return path_; }
  int32_t rate() const { return rate_; }
  int32_t block() const { return block_; }

  // Every parameter by its name, with the value a render starts from.
  std::vector<std::pair<std::string, float>> parameters();
  ScriptSettings settings();
  // Each value by a name parameters() gives, or a key --param takes. Throws
  // ToolError (kExitBadInput) and keeps the old values for one that the
  // plug-in does not take.
  void setParameters(const std::vector<std::pair<std::string, double>>& values);
  // Loads a preset as --preset does, then selects `program` when given; the
  // values set before are dropped. Throws ToolError and keeps the old settings.
  void loadPreset(const std::string& preset, std::optional<int32_t> program);
  // All of a pickled instrument's settings at once.
  void restore(const ScriptSettings& settings);
  // Saves what a render would start from, as --save does, whole or not at all.
  void savePreset(const std::string& path);

  // Plays `schedule` to `end`; `betweenBlocks` runs after every block and may
  // throw to end the render.
  RenderedSong render(const MidiSchedule& schedule, const SongEnd& end, const std::function<void()>& betweenBlocks);

 private:
  SessionSettings sessionOf(const ScriptSettings& settings) const;
  std::unique_ptr<Instrument> configured(const ScriptSettings& settings);
  // Takes `settings` once a fresh instance has taken them.
  void adopt(const ScriptSettings& settings);

  std::mutex mutex_;
  std::optional<std::string> path_;
  int32_t rate_;
  int32_t block_;
  std::unique_ptr<InstrumentPlugin> plugin_;
  std::vector<NamedParameter> names_;
  ScriptSettings settings_;
  std::vector<std::pair<std::string, double>> values_;  // by key, as the instance of the settings reported them
};
