// Engine micro-benchmarks: the cost of one 512-frame block in the states a
// session spends its time in. Every benchmark reports
//   ns/sample        nanoseconds per output frame (both channels),
//   ns/voice-sample  the same divided by the voices sounding,
//   x-realtime       how many times faster than real time at 44.1 kHz,
// and runs for the optimised engine on every vector path the processor has
// (argument "path": 0 SSE2, 1 AVX2) and, for scale, the plain model. The
// header names the processor and the path the engine takes by default.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <type_traits>
#include <vector>

#include "bench/machine_report.h"
#include "engine/synth_engine.h"
#include "tests/model/model_synth.h"

namespace {

constexpr int kBlock = 512;
constexpr double kRate = 44100.0;

enum Waveform { Square, Saw, Triangle };
enum Modulation { Plain, Vibrato, Bend, VibratoAndBend };

const float kWaveformValues[] = {0.1f, 0.5f, 0.9f};

MidiEvent noteOn(int frame, int note) { return {frame, 0x90, static_cast<uint8_t>(note), 100}; }
MidiEvent noteOff(int frame, int note) { return {frame, 0x80, static_cast<uint8_t>(note), 0}; }
MidiEvent controller(int frame, int number, int value) {
  return {frame, 0xB0, static_cast<uint8_t>(number), static_cast<uint8_t>(value)};
}
MidiEvent bend(int frame, int value) { return {frame, 0xE0, 0, static_cast<uint8_t>(value)}; }

const VectorPath kPaths[] = {VectorPath::Sse2, VectorPath::Avx2};  // by the "path" argument

// The engine on the path its benchmark's argument `argument` names; the
// model has only one path and no such argument.
template <typename Synth>
std::unique_ptr<Synth> create(const benchmark::State& state, int argument) {
  if constexpr (std::is_constructible_v<Synth, VectorPath>) {
    return std::make_unique<Synth>(kPaths[state.range(argument)]);
  } else {
    return std::make_unique<Synth>();
  }
}

// A synthesizer rendering blocks of kBlock frames into its own buffers.
template <typename Synth>
struct Bench {
  Bench(const benchmark::State& state, int pathArgument) : owned(create<Synth>(state, pathArgument)), synth(*owned) {}
  std::unique_ptr<Synth> owned;
  Synth& synth;
  std::vector<float> left = std::vector<float>(kBlock), right = std::vector<float>(kBlock);

  void play(const std::vector<MidiEvent>& events) {
    RenderCursor cursor;
    synth.render(events.data(), static_cast<int32_t>(events.size()), cursor, left.data(), right.data(), kBlock);
  }
  void block() {
    RenderCursor cursor;
    synth.render(nullptr, 0, cursor, left.data(), right.data(), kBlock);
  }
  // Plays blocks until envelopes have settled (attack and decay are short).
  void settle() {
    for (int i = 0; i < 200; ++i) block();
  }
};

template <typename Synth>
void setUp(Synth& synth, Waveform waveform) {
  synth.setSampleRate(static_cast<float>(kRate));
  synth.setWaveform(kWaveformValues[waveform]);
  synth.setFilter(0.3f, 0.2f);
  synth.setEnvelope(0.01f, 0.8f, 0.1f, 0.5f, 0.2f);
}

// Holds `voices` notes (a spread chord) with the given modulation. The
// modulation follows the notes: every note-on clears bend and vibrato.
template <typename Synth>
void holdNotes(Bench<Synth>& bench, int voices, Modulation modulation) {
  std::vector<MidiEvent> events;
  const int chord[] = {36, 43, 48, 52, 55, 60, 64, 67};
  for (int i = 0; i < voices; ++i) events.push_back(noteOn(0, chord[i]));
  if (modulation == Vibrato || modulation == VibratoAndBend) events.push_back(controller(1, 1, 100));
  if (modulation == Bend || modulation == VibratoAndBend) events.push_back(bend(1, 90));
  bench.play(events);
  bench.settle();
}

template <typename Synth>
void report(benchmark::State& state, int voices) {
  const double frames = static_cast<double>(state.iterations()) * kBlock;
  state.counters["per-sample"] = benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["per-voice-sample"] =
      benchmark::Counter(frames * std::max(voices, 1), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["x-realtime"] = benchmark::Counter(frames / kRate, benchmark::Counter::kIsRate);
}

template <typename Synth>
void SoundingVoices(benchmark::State& state) {
  const auto waveform = static_cast<Waveform>(state.range(0));
  const auto modulation = static_cast<Modulation>(state.range(1));
  const int voices = static_cast<int>(state.range(2));
  Bench<Synth> bench(state, 3);
  setUp(bench.synth, waveform);
  holdNotes(bench, voices, modulation);
  for (auto _ : state) {
    bench.block();
    benchmark::DoNotOptimize(bench.left.data());
    benchmark::ClobberMemory();
  }
  report<Synth>(state, voices);
}

// Every voice in an hour-long release, its filter tuned so low that its
// states and output are subnormal numbers: without flushing them to zero
// such a block would cost many times a normal one. Compare with
// SoundingVoices/<waveform>/0/8.
template <typename Synth>
void DenormalBait(benchmark::State& state) {
  const auto waveform = static_cast<Waveform>(state.range(0));
  Bench<Synth> bench(state, 1);
  setUp(bench.synth, waveform);
  bench.synth.setEnvelope(0.0f, 1e-20f, 0.0f, 1e-20f, 3600.0f);
  bench.synth.setFilter(1e-19f, 0.5f);
  holdNotes(bench, 8, Plain);
  std::vector<MidiEvent> releases;
  for (int note : {36, 43, 48, 52, 55, 60, 64, 67}) releases.push_back(noteOff(0, note));
  bench.play(releases);
  for (auto _ : state) {
    bench.block();
    benchmark::DoNotOptimize(bench.left.data());
    benchmark::ClobberMemory();
  }
  report<Synth>(state, 8);
}

// Nothing sounds: the block is silence.
template <typename Synth>
void AllIdle(benchmark::State& state) {
  Bench<Synth> bench(state, 0);
  setUp(bench.synth, Saw);
  for (auto _ : state) {
    bench.block();
    benchmark::DoNotOptimize(bench.left.data());
    benchmark::ClobberMemory();
  }
  report<Synth>(state, 0);
}

// The floor for AllIdle: writing a block of zeros to both outputs.
void WriteZeros(benchmark::State& state) {
  std::vector<float> left(kBlock), right(kBlock);
  for (auto _ : state) {
    std::fill(left.begin(), left.end(), 0.0f);
    std::fill(right.begin(), right.end(), 0.0f);
    benchmark::DoNotOptimize(left.data());
    benchmark::DoNotOptimize(right.data());
    benchmark::ClobberMemory();
  }
  report<SynthEngine>(state, 0);
}

// The paths this processor has, as "path" argument values.
std::vector<int64_t> supportedPaths() {
  std::vector<int64_t> paths;
  for (int64_t i = 0; i < static_cast<int64_t>(std::size(kPaths)); ++i) {
    if (vectorPathSupported(kPaths[i])) paths.push_back(i);
  }
  return paths;
}

void soundingArguments(benchmark::internal::Benchmark* b) {
  b->ArgNames({"waveform", "modulation", "voices", "path"});
  for (int64_t path : supportedPaths()) {
    for (int waveform : {Square, Saw, Triangle}) {
      for (int modulation : {Plain, Vibrato, Bend, VibratoAndBend}) b->Args({waveform, modulation, 8, path});
    }
    b->Args({Saw, Plain, 1, path});
    b->Args({Saw, VibratoAndBend, 1, path});
  }
}

void denormalArguments(benchmark::internal::Benchmark* b) {
  b->ArgNames({"waveform", "path"});
  for (int64_t path : supportedPaths()) {
    for (int waveform : {Square, Saw, Triangle}) b->Args({waveform, path});
  }
}

void idleArguments(benchmark::internal::Benchmark* b) {
  b->ArgName("path");
  for (int64_t path : supportedPaths()) b->Arg(path);
}

}  // namespace

BENCHMARK_TEMPLATE(SoundingVoices, SynthEngine)->Apply(soundingArguments);
BENCHMARK_TEMPLATE(DenormalBait, SynthEngine)->Apply(denormalArguments);
BENCHMARK_TEMPLATE(AllIdle, SynthEngine)->Apply(idleArguments);
BENCHMARK(WriteZeros);
BENCHMARK_TEMPLATE(SoundingVoices, ModelSynth)->Args({Saw, VibratoAndBend, 8});
BENCHMARK_TEMPLATE(DenormalBait, ModelSynth)->Arg(Saw);
BENCHMARK_TEMPLATE(AllIdle, ModelSynth);

int main(int argc, char** argv) {
  benchmark::AddCustomContext("processor", processorName());
  benchmark::AddCustomContext("engine vector path", vectorPathReport());
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
