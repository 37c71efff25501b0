// quorlin.one_shots(): data sets of one-shot sounds, rendered by the engine's
// one-shot lanes (one_shots/) straight into a numpy array. The arguments are
// turned into the request's plain arrays with the GIL held; the render then
// runs on worker threads without it, while this thread looks for Ctrl-C
// every so often and, when it comes, stops the workers between runs.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <exception>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "engine/parameter_table.h"
#include "python/one_shots/one_shot_render.h"
#include "python/bindings.h"
#include "tools/files/number_text.h"
#include "python/python_arguments.h"

namespace py = pybind11;

namespace {

constexpr std::chrono::milliseconds kInterruptCheckInterval{20};

const char* const kOneShotsDoc = R"(one_shots(params, notes=60, velocities=100, note_seconds=3.0, tail_seconds=1.0, rate=44100, channels=1, out=None, threads=None)

Renders N one-shot sounds of Quorlin: each one note played with a patch of
its own, returned as a float32 array of shape (N, channels, frames).

    params        an array (N, 8) of values from 0 to 1 in parameter order
                  (waveform, attack_time, attack_level, decay_time,
                  sustain_level, release_time, lowpass, resonance), or a dict
                  of N-long columns by those names (a column left out, or
                  given as one number, is the same for every sound: its
                  default, or that number)
    notes         a MIDI note 0 to 127 for every sound, or N of them
    velocities    a velocity 1 to 127 for every sound, or N of them
    note_seconds  the key is held this long,
    tail_seconds  then released, and the sound goes on this much longer
    rate          the sample rate in Hz, 1000 to 768000
    channels      1: the left output; 2: both
    out           None, or a writable C-contiguous float32 array of that
                  shape to render into, such as a numpy.memmap, so that a
                  data set larger than memory goes straight into a file
    threads       workers; None is every core this process may use

Sound i is, bit for bit, what
Instrument(rate=rate) with row i's values set renders with
render(notes=[(note, velocity, 0, note_seconds)], seconds=note_seconds +
tail_seconds), the first `channels` rows of it; and so what the VST 2
module renders with those values applied.

A bad value raises ValueError naming its row and column, or its argument,
before anything is written. Ctrl-C stops the render within a few
milliseconds and raises KeyboardInterrupt; out is then partly written.)";

using RealArray = py::array_t<double, py::array::c_style | py::array::forcecast>;
using WholeArray = py::array_t<int64_t, py::array::c_style | py::array::forcecast>;

// A numpy array of numbers as doubles (the very array when it holds them
// already), or a TypeError naming `what`.
RealArray realArray(const py::handle value, const std::string& what) {
  auto array = RealArray::ensure(value);
  if (!array) throw py::type_error(what + " needs numbers, not " + py::repr(value).cast<std::string>());
  return array;
}

// What the request reads while the sounds render: the caller's arrays where
// they are of the request's types already, so that nothing grows with N
// then, and copies or single values where not.
struct Inputs {
  std::vector<RealArray> arrays;
  double values[kParameterCount] = {};
  WholeArray notes, velocities;
  std::vector<int64_t> noteValues, velocityValues;
};

// `params` into the request: an (N, 8) array, or a dict of columns by name,
// each one number or N of them (one sound when none is a column).
void takePatches(const py::handle params, OneShotRequest& request, Inputs& inputs) {
  if (!py::isinstance<py::dict>(params)) {
    const RealArray array = realArray(params, "params");
    if (array.ndim() != 2 || array.shape(1) != kParameterCount) {
      std::string shape;
      for (py::ssize_t d = 0; d < array.ndim(); ++d) shape += (d ? ", " : "") + std::to_string(array.shape(d));
      throw py::value_error("params needs an array of shape (N, 8) or a dict of columns, not one of shape (" +
                            shape + ")");
    }
    request.count = array.shape(0);
    request.useRows(array.data());
    inputs.arrays.push_back(array);
    return;
  }

  for (int column = 0; column < kParameterCount; ++column) {
    inputs.values[column] = kParameters[column].defaultValue;
    request.params[column] = &inputs.values[column];
  }
  int64_t count = -1;
  for (const auto& [key, given] : py::reinterpret_borrow<py::dict>(params)) {
    const std::string name = py::str(key);
    int column = 0;
    while (column < kParameterCount && name != kParameters[column].symbol) ++column;
    if (column == kParameterCount) {
      std::string names;
      for (const ParameterDescription& parameter : kParameters) {
        names += (names.empty() ? "" : ", ") + std::string(parameter.symbol);
      }
      throw py::value_error("params has no column named " + py::repr(key).cast<std::string>() + " (" + names + ")");
    }
    const RealArray array = realArray(given, "params['" + name + "']");
    if (array.ndim() > 1) throw py::value_error("params['" + name + "'] needs one number or a column of them");
    if (array.ndim() == 0) {
      inputs.values[column] = array.data()[0];
      continue;
    }
    if (count >= 0 && array.shape(0) != count) {
      throw py::value_error("params['" + name + "'] has " + std::to_string(array.shape(0)) +
                            " values, another column " + std::to_string(count) +
                            ": every column needs one for every sound");
    }
    count = array.shape(0);
    request.params[column] = array.data();
    request.paramStrides[column] = 1;
    inputs.arrays.push_back(array);
  }
  request.count = count < 0 ? 1 : count;
}

// One whole number, or a column of them (integers, or floats with whole
// values): the values, and how many.
const int64_t* wholeColumnOf(const py::handle value, const std::string& what, WholeArray& kept,
                             std::vector<int64_t>& converted, int64_t& count) {
  const py::array array = py::array::ensure(value);
  if (!array || array.ndim() == 0) {
    converted = {wholeArgument(value, what)};
    count = 1;
    return converted.data();
  }
  if (array.ndim() != 1) throw py::value_error(what + " needs one number or a column of them");
  count = array.shape(0);
  if (array.dtype().kind() == 'i' || array.dtype().kind() == 'u') {
    kept = WholeArray::ensure(array);
    return kept.data();
  }
  const RealArray real = realArray(array, what);
  converted.resize(real.size());
  for (py::ssize_t row = 0; row < real.size(); ++row) {
    const double number = real.data()[row];
    if (!std::isfinite(number) || number != std::floor(number) || std::fabs(number) > 1e18) {
      throw py::value_error(what + " row " + std::to_string(row) + " needs a whole number, not " +
                            pythonNumber(number));
    }
    converted[row] = static_cast<int64_t>(number);
  }
  return converted.data();
}

// `out`, checked to take the sounds: nothing is written to an array refused.
py::array outputOf(const py::object& out, int64_t count, int64_t channels, int64_t frames) {
  const std::vector<py::ssize_t> shape = {count, channels, frames};
  if (out.is_none()) return py::array_t<float>(shape);
  const std::string wanted = "(" + std::to_string(count) + ", " + std::to_string(channels) + ", " +
                             std::to_string(frames) + ")";
  if (!py::isinstance<py::array>(out)) {
    throw py::value_error("out needs a float32 numpy array of shape " + wanted + ", not " +
                          py::repr(py::type::of(out)).cast<std::string>());
  }
  const auto array = py::reinterpret_borrow<py::array>(out);
  if (!array.dtype().is(py::dtype::of<float>())) {
    throw py::value_error("out needs a float32 array, not " + py::str(array.dtype()).cast<std::string>());
  }
  if (array.ndim() != 3 || array.shape(0) != count || array.shape(1) != channels || array.shape(2) != frames) {
    std::string given;
    for (py::ssize_t d = 0; d < array.ndim(); ++d) given += (d ? ", " : "") + std::to_string(array.shape(d));
    throw py::value_error("out needs shape " + wanted + ", not (" + given + ")");
  }
  if (!(array.flags() & py::array::c_style)) throw py::value_error("out needs a C-contiguous array");
  if (!array.writeable()) throw py::value_error("out is read-only");
  return array;
}

int threadsOf(const py::object& threads) {
  if (threads.is_none()) return static_cast<int>(py::len(py::module_::import("os").attr("sched_getaffinity")(0)));
  const int64_t count = wholeArgument(threads, "threads");
  if (count < 1 || count > 4096) {
    throw py::value_error("threads needs a whole number from 1 to 4096, not " + std::to_string(count));
  }
  return static_cast<int>(count);
}

// Renders on a thread of its own while this one, the GIL let go, looks for
// Ctrl-C now and then.
void renderInterruptibly(const OneShotRequest& request, float* out, int threads) {
  std::atomic<bool> stop{false};
  std::exception_ptr failure;
  py::gil_scoped_release release;
  std::promise<void> done;
  std::future<void> ended = done.get_future();
  std::thread renderer([&] {
    try {
      renderOneShots(request, out, threads, stop);
    } catch (...) {
      failure = std::current_exception();
    }
    done.set_value();
  });
  bool interrupted = false;
  while (ended.wait_for(kInterruptCheckInterval) != std::future_status::ready) {
    py::gil_scoped_acquire acquire;
    if (!interrupted && PyErr_CheckSignals() != 0) {
      interrupted = true;
      stop = true;
    }
  }
  renderer.join();
  if (failure) std::rethrow_exception(failure);
  if (interrupted) {
    py::gil_scoped_acquire acquire;
    throw py::error_already_set();
  }
}

py::array oneShots(const py::object& params, const py::object& notes, const py::object& velocities,
                   const py::object& noteSeconds, const py::object& tailSeconds, const py::object& rate,
                   const py::object& channels, const py::object& out, const py::object& threads) {
  OneShotRequest request;
  Inputs inputs;
  takePatches(params, request, inputs);
  request.notes = wholeColumnOf(notes, "notes", inputs.notes, inputs.noteValues, request.noteCount);
  request.velocities =
      wholeColumnOf(velocities, "velocities", inputs.velocities, inputs.velocityValues, request.velocityCount);
  request.noteSeconds = realArgument(noteSeconds, "note_seconds");
  request.tailSeconds = realArgument(tailSeconds, "tail_seconds");
  request.rate = wholeArgument(rate, "rate");
  request.channels = wholeArgument(channels, "channels");
  const int workers = threadsOf(threads);

  OneShotFrames frames{};
  {
    py::gil_scoped_release release;
    frames = checkOneShots(request);
  }
  py::array sounds = outputOf(out, request.count, request.channels, frames.total);
  renderInterruptibly(request, static_cast<float*>(sounds.mutable_data()), workers);
  return sounds;
}

}  // namespace

void bindOneShots(py::module_& module) {
  module.def("one_shots", &oneShots, kOneShotsDoc, py::arg("params"), py::arg("notes") = 60,
             py::arg("velocities") = 100, py::arg("note_seconds") = 3.0, py::arg("tail_seconds") = 1.0,
             py::arg("rate") = 44100, py::arg("channels") = 1, py::arg("out") = py::none(),
             py::arg("threads") = py::none());
}
