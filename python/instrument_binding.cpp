// quorlin.Instrument: PythonInstrument with Python's manners. The GIL is let
// go while a plug-in loads, checks values or renders, so that Python threads
// render side by side; a long render takes it back every so often to see
// whether Ctrl-C was pressed.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "python/bindings.h"
#include "python/python_arguments.h"
#include "python/python_instrument.h"
#include "python/song_lists.h"
#include "tools/system/tool_error.h"

namespace py = pybind11;

namespace {

// How often a render looks for Ctrl-C: often enough to feel at once, rarely
// enough to cost nothing.
constexpr std::chrono::milliseconds kInterruptCheckInterval{20};

const char* const kInstrumentDoc = R"(Instrument(path=None, rate=44100, block=512)

An instrument plug-in, rendered into numpy arrays.

path names any instrument quorlin-host plays: a VST 2 module (.so), an LV2
bundle folder or an LV2 plug-in's URI; None is Quorlin itself, as the LV2
bundle it was built or installed with. rate is the sample rate in Hz (1000
to 768000) and block the frames per processing block (1 to 65536); both are
fixed for the object's life.

Every render starts a fresh instance of the plug-in from the preset and the
values set before it, so the same call gives the same samples, bit for bit,
in any order, on any thread and after any other render, and equals what
quorlin-host render writes for the same song, values and block size. A value
set is heard from the first frame of the next render.

Renders let other Python threads run; one object used from several threads
renders for one at a time. Instruments pickle as the arguments that made
them and the preset and values set, so multiprocessing, concurrent.futures
and Dask send them to other processes and machines.

Failures raise FileNotFoundError (a file that is not there), ValueError (a
bad value, parameter name, preset, note or MIDI file) and
quorlin.PluginError (a plug-in that cannot be loaded or fails), each with
quorlin-host's one-line message.)";

const char* const kParametersDoc = R"(Every parameter by its name, with the value the next render starts from:
an LV2 port's symbol, a VST 2 parameter's name (its number, as a string,
where the module names none). A new dict each time: change values with
set_parameters().)";

const char* const kSetParametersDoc = R"(set_parameters(values=None, /, **more)

Sets parameters by the names Instrument.parameters gives (or a parameter's
number), from a dict, keyword arguments or both:

    synth.set_parameters(lowpass=0.3, resonance=0.4)
    synth.set_parameters({"lowpass": 0.3})

A value outside the parameter's range (an LV2 port's, 0 to 1 for VST 2) or a
name the plug-in does not have raises ValueError, and then no value changes.)";

const char* const kLoadPresetDoc = R"(load_preset(path, program=None)

Loads a preset as quorlin-host's --preset does: a VST 2 .fxp or .fxb file, an
LV2 preset's URI or preset bundle (NAME.preset.lv2), and then selects
program (VST 2) when given. The values set before are dropped; values set
after change what the preset set. The preset is read again by every render.)";

const char* const kSavePresetDoc = R"(save_preset(path)

Saves what the next render starts from as quorlin-host's --save does: a VST 2
plug-in's program as path.fxp or all its programs as path.fxb, an LV2
plug-in's state as the preset bundle NAME.preset.lv2. Written whole under a
temporary name, then renamed: never half-written.)";

const char* const kRenderDoc = R"(render(song=None, *, notes=None, events=None, seconds=None, tail=None)

Renders one song and returns its samples as a numpy float32 array of shape
(channels, frames): the plug-in's first two outputs, or its only one. The
song is one of:

    song    a Standard MIDI File (format 0 or 1), as a path
    notes   (note, velocity, start, duration) tuples: MIDI note 0 to 127,
            velocity 1 to 127, start and duration in seconds
    events  (time, message) tuples: a time in seconds and a MIDI channel
            message as bytes, such as b"\x90\x3c\x64"

A time lands on the nearest frame, as in a MIDI file. seconds renders exactly
that long from the start; otherwise the render goes on past the last event
for tail seconds (default 1.0, at most 3600), or with tail="auto" until the
output has stayed below -120 dBFS for 0.1 s (at most 30 s).

Ctrl-C stops a render within a few milliseconds and raises KeyboardInterrupt;
the instrument stays usable.)";

// The song a render() call names, on the frame grid of `rate`.
MidiSchedule songOf(const py::object& song, const py::object& notes, const py::object& events, int32_t rate) {
  const int given = !song.is_none() + !notes.is_none() + !events.is_none();
  if (given != 1) throw py::type_error("render() takes one song: a MIDI file, notes= or events=");
  if (!song.is_none()) {
    const std::string path = pathArgument(song);
    py::gil_scoped_release release;
    return readMidiSchedule(path, rate);
  }
  if (!notes.is_none()) {
    std::vector<NoteInput> list;
    for (const py::handle item : notes) {
      const std::string name = "notes[" + std::to_string(list.size()) + "]";
      if (!py::isinstance<py::sequence>(item) || py::len(item) != 4) {
        throw py::type_error(name + " needs (note, velocity, start, duration), not " + py::repr(item).cast<std::string>());
      }
      const py::sequence row = py::reinterpret_borrow<py::sequence>(item);
      list.push_back({wholeArgument(row[0], name + ": its note"), wholeArgument(row[1], name + ": its velocity"),
                      realArgument(row[2], name + ": its start"), realArgument(row[3], name + ": its duration")});
    }
    return scheduleNotes(list, rate);
  }
  std::vector<MessageInput> list;
  for (const py::handle item : events) {
    const std::string name = "events[" + std::to_string(list.size()) + "]";
    if (!py::isinstance<py::sequence>(item) || py::len(item) != 2) {
      throw py::type_error(name + " needs (time, message bytes), not " + py::repr(item).cast<std::string>());
    }
    const py::sequence row = py::reinterpret_borrow<py::sequence>(item);
    const auto bytes = py::reinterpret_steal<py::object>(PyBytes_FromObject(row[1].ptr()));
    if (!bytes) throw py::error_already_set();
    list.push_back({realArgument(row[0], name + ": its time"), bytes.cast<std::string>()});
  }
  return scheduleMessages(list, rate);
}

// Where a render() call ends.
SongEnd endOf(const MidiSchedule& schedule, const py::object& seconds, const py::object& tail, int32_t rate) {
  if (!seconds.is_none()) {
    if (!tail.is_none()) throw py::type_error("render() takes seconds= or tail=, not both");
    SongEnd end;
    end.lastFrame = schedule.lastFrame;
    end.mostFrames = frameAt(nanosecondsOf(realArgument(seconds, "seconds"), "seconds", kMaxSongSeconds), rate);
    return end;
  }
  TailLength length;
  if (py::isinstance<py::str>(tail)) {
    if (tail.cast<std::string>() != "auto") {
      throw ToolError(kExitBadInput, "tail needs a number of seconds or 'auto', not " + py::repr(tail).cast<std::string>());
    }
    length.untilQuiet = true;
  } else if (!tail.is_none()) {
    length.nanoseconds = nanosecondsOf(realArgument(tail, "tail"), "tail", kMaxTailSeconds);
  }
  return songEnd(schedule, length, rate);
}

// Ctrl-C reaches Python's handler, which runs only when asked, with the GIL.
void stopOnInterrupt(std::chrono::steady_clock::time_point& lastCheck) {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastCheck < kInterruptCheckInterval) return;
  lastCheck = now;
  py::gil_scoped_acquire acquire;
  if (PyErr_CheckSignals() != 0) throw py::error_already_set();
}

py::array_t<float> arrayOf(RenderedSong song) {
  float* samples = song.samples.release();
  py::capsule owner(samples, [](void* memory) { std::free(memory); });
  return py::array_t<float>({static_cast<py::ssize_t>(song.channels), static_cast<py::ssize_t>(song.frames)},
                            samples, owner);
}

int32_t checkedRange(int64_t value, const char* what, int64_t low, int64_t high) {
  if (value < low || value > high) {
    throw ToolError(kExitBadInput, std::string(what) + " needs a whole number from " + std::to_string(low) + " to " +
                                       std::to_string(high) + ", not " + std::to_string(value));
  }
  return static_cast<int32_t>(value);
}

std::unique_ptr<PythonInstrument> makeInstrument(const py::object& path, int64_t rate, int64_t block) {
  std::optional<std::string> plugin = optionalPath(path);
  const int32_t sampleRate = checkedRange(rate, "rate", kMinSampleRate, kMaxSampleRate);
  const int32_t blockSize = checkedRange(block, "block", 1, kMaxBlockSize);
  py::gil_scoped_release release;
  return std::make_unique<PythonInstrument>(std::move(plugin), sampleRate, blockSize);
}

py::dict stateOf(PythonInstrument& instrument) {
  ScriptSettings settings;
  {
    py::gil_scoped_release release;
    settings = instrument.settings();
  }
  py::list parameters;
  for (const auto& [key, value] : settings.parameters) parameters.append(py::make_tuple(key, value));
  py::dict state;
  state["path"] = instrument.path() ? py::cast(*instrument.path()) : py::none();
  state["rate"] = instrument.rate();
  state["block"] = instrument.block();
  state["preset"] = settings.preset.empty() ? py::none() : py::cast(settings.preset);
  state["program"] = settings.program ? py::cast(*settings.program) : py::none();
  state["parameters"] = parameters;
  return state;
}

std::unique_ptr<PythonInstrument> instrumentOf(const py::dict& state) {
  ScriptSettings settings;
  if (!state["preset"].is_none()) settings.preset = state["preset"].cast<std::string>();
  if (!state["program"].is_none()) settings.program = state["program"].cast<int32_t>();
  for (const py::handle pair : state["parameters"]) {
    settings.parameters.push_back(pair.cast<std::pair<std::string, float>>());
  }
  std::unique_ptr<PythonInstrument> instrument =
      makeInstrument(state["path"], state["rate"].cast<int64_t>(), state["block"].cast<int64_t>());
  py::gil_scoped_release release;
  instrument->restore(settings);
  return instrument;
}

py::array_t<float> render(PythonInstrument& instrument, const py::object& song, const py::object& notes,
                          const py::object& events, const py::object& seconds, const py::object& tail) {
  const MidiSchedule schedule = songOf(song, notes, events, instrument.rate());
  const SongEnd end = endOf(schedule, seconds, tail, instrument.rate());
  RenderedSong rendered;
  {
    py::gil_scoped_release release;
    auto lastCheck = std::chrono::steady_clock::now();
    rendered = instrument.render(schedule, end, [&] { stopOnInterrupt(lastCheck); });
  }
  return arrayOf(std::move(rendered));
}

void setParameters(PythonInstrument& instrument, const py::object& values, const py::kwargs& more) {
  std::vector<std::pair<std::string, double>> list;
  const auto take = [&](const py::handle mapping) {
    for (const auto& [name, value] : py::reinterpret_borrow<py::dict>(mapping)) {
      const std::string key = py::str(name);
      list.emplace_back(key, realArgument(value, key));
    }
  };
  if (!values.is_none()) take(py::dict(values));
  take(more);
  py::gil_scoped_release release;
  instrument.setParameters(list);
}

std::string reprOf(PythonInstrument& instrument) {
  const std::string path = instrument.path() ? py::repr(py::cast(*instrument.path())).cast<std::string>() + ", " : "";
  return "quorlin.Instrument(" + path + "rate=" + std::to_string(instrument.rate()) +
         ", block=" + std::to_string(instrument.block()) + ")";
}

}  // namespace

void bindInstrument(py::module_& module) {
  py::class_<PythonInstrument>(module, "Instrument", kInstrumentDoc)
      .def(py::init(&makeInstrument), py::arg("path") = py::none(), py::arg("rate") = 44100, py::arg("block") = 512)
      .def_property_readonly(
          "path", [](const PythonInstrument& self) { return self.path(); },
          "The plug-in as it was named; None for Quorlin itself.")
      .def_property_readonly("rate", &PythonInstrument::rate, "The sample rate in Hz.")
      .def_property_readonly("block", &PythonInstrument::block, "The frames of each processing block.")
      .def_property_readonly(
          "parameters",
          [](PythonInstrument& self) {
            std::vector<std::pair<std::string, float>> values;
            {
              py::gil_scoped_release release;
              values = self.parameters();
            }
            py::dict named;
            for (const auto& [name, value] : values) named[py::str(name)] = value;
            return named;
          },
          kParametersDoc)
      .def("set_parameters", &setParameters, kSetParametersDoc, py::arg("values") = py::none(), py::pos_only())
      .def(
          "load_preset",
          [](PythonInstrument& self, const py::object& path, std::optional<int64_t> program) {
            const std::string preset = pathArgument(path);
            std::optional<int32_t> selected;
            if (program) selected = checkedRange(*program, "program", 0, INT32_MAX);
            py::gil_scoped_release release;
            self.loadPreset(preset, selected);
          },
          kLoadPresetDoc, py::arg("path"), py::arg("program") = py::none())
      .def(
          "save_preset",
          [](PythonInstrument& self, const py::object& path) {
            const std::string file = pathArgument(path);
            py::gil_scoped_release release;
            self.savePreset(file);
          },
          kSavePresetDoc, py::arg("path"))
      .def("render", &render, kRenderDoc, py::arg("song") = py::none(), py::kw_only(), py::arg("notes") = py::none(),
           py::arg("events") = py::none(), py::arg("seconds") = py::none(), py::arg("tail") = py::none())
      .def(py::pickle(&stateOf, &instrumentOf))
      .def("__repr__", &reprOf);
}
