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
#include "one_shots/one_shot_render.h"
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

// A numpy array of numbers as doubles, or as a TypeError naming `what`.
py::array_t<double, py::array::c_style | py::array::forcecast> realArray(const py::handle value,
                                                                        const std::string& what) {
  auto array = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(value);
  if (!array) throw py::type_error(what + " needs numbers, not " + py::repr(value).cast<std::string>());
  return array;
}

// The (N, 8) values of `params`, row after row.
std::vector<double> patchesOf(const py::handle params, int64_t& count) {
  std::vector<double> values;
  if (!py::isinstance<py::dict>(params)) {
    const auto array = realArray(params, "params");
    if (array.ndim() != 2 || array.shape(1) != kParameterCount) {
      std::string shape;
      for (py::ssize_t d = 0; d < array.ndim(); ++d) shape += (d ? ", " : "") + std::to_string(array.shape(d));
      throw py::value_error("params needs an array of shape (N, 8) or a dict of columns, not one of shape (" +
                            shape + ")");
    }
    count = array.shape(0);
    values.assign(array.data(), array.data() + array.size());
    return values;
  }

  // Columns by name: each one number or N of them (one sound when none is a column).
  std::vector<py::array_t<double, py::array::c_style | py::array::forcecast>> columns(kParameterCount);
  count = -1;
  for (const auto& [key, column] : py::reinterpret_borrow<py::dict>(params)) {
    const std::string name = py::str(key);
    int index = 0;
    while (index < kParameterCount && name != kParameters[index].symbol) ++index;
    if (index == kParameterCount) {
      std::string names;
      for (const ParameterDescription& parameter : kParameters) {
        names += (names.empty() ? "" : ", ") + std::string(parameter.symbol);
      }
      throw py::value_error("params has no column named " + py::repr(key).cast<std::string>() + " (" + names + ")");
    }
    columns[index] = realArray(column, "params['" + name + "']");
    if (columns[index].ndim() > 1) throw py::value_error("params['" + name + "'] needs one number or a column of them");
    if (columns[index].ndim() == 1 && count < 0) count = columns[index].shape(0);
  }
  if (count < 0) count = 1;
  values.resize(static_cast<size_t>(count) * kParameterCount);
  for (int column = 0; column < kParameterCount; ++column) {
    const auto& given = columns[column];
    const bool one = !given || given.ndim() == 0;
    if (!one && given.shape(0) != count) {
      throw py::value_error("params['" + std::string(kParameters[column].symbol) + "'] has " +
                            std::to_string(given.shape(0)) + " values, another column " + std::to_string(count) +
                            ": every column needs one for every sound");
    }
    for (int64_t row = 0; row < count; ++row) {
      values[row * kParameterCount + column] =
          !given ? kParameters[column].defaultValue : given.data()[one ? 0 : row];
    }
  }
  return values;
}

// One whole number, or a column of them (integers, or floats with whole values).
std::vector<int64_t> wholeColumnOf(const py::handle value, const std::string& what) {
  const py::array array = py::array::ensure(value);
  if (!array || array.ndim() == 0) return {wholeArgument(value, what)};
  if (array.ndim() != 1) throw py::value_error(what + " needs one number or a column of them");
  if (array.dtype().kind() == 'i' || array.dtype().kind() == 'u') {
    const auto whole = py::array_t<int64_t, py::array::c_style | py::array::forcecast>::ensure(array);
    return std::vector<int64_t>(whole.data(), whole.data() + whole.size());
  }
  const auto real = realArray(array, what);
  std::vector<int64_t> column(real.size());
  for (py::ssize_t row = 0; row < real.size(); ++row) {
    const double number = real.data()[row];
    if (!std::isfinite(number) || number != std::floor(number) || std::fabs(number) > 1e18) {
      throw py::value_error(what + " row " + std::to_string(row) + " needs a whole number, not " +
                            pythonNumber(number));
    }
    column[row] = static_cast<int64_t>(number);
  }
  return column;
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
  const std::vector<double> patches = patchesOf(params, request.count);
  const std::vector<int64_t> noteColumn = wholeColumnOf(notes, "notes");
  const std::vector<int64_t> velocityColumn = wholeColumnOf(velocities, "velocities");
  request.params = patches.data();
  request.notes = noteColumn.data();
  request.noteCount = static_cast<int64_t>(noteColumn.size());
  request.velocities = velocityColumn.data();
  request.velocityCount = static_cast<int64_t>(velocityColumn.size());
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
