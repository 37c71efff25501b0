// quorlin_one_shot_bench: one-shot data sets against the instrument.
//
// N = 4,096 mono four-second sounds (a 3 s note and a 1 s tail) at 44.1 kHz,
// random patches, notes and velocities (a fixed seed), rendered three ways
// in every round, taking turns:
//   one-shots, 1 thread     renderOneShots on one thread
//   one-shots, all cores    renderOneShots on as many threads as cores
//   one at a time           each sound alone through the LV2 plug-in object
//                           (a fresh instance, blocks of 512 frames, as
//                           quorlin-host and Python's Instrument.render play it)
// The one-shots write into memory touched beforehand, so the times are the
// rendering and the writing; one more row writes into fresh memory, whose
// pages the kernel fills as they are first written (as numpy's arrays are).
// Every one-at-a-time sound is compared with its one-shot, bit for bit.
//
// It prints times real time (seconds of sound over wall seconds, medians of
// the rounds and the fastest, and over CPU seconds: on a machine shared with
// other work the CPU time shows what the code costs), the one-shots' speed
// per core over the one-at-a-time speed (goal: at least 8x), the speed on all cores (goal: at least 16,200x real
// time, the fastest published GPU synthesizer's figure for such sounds), the
// bytes written a second, and the peak memory of 100,000 short sounds written
// into a memory-mapped file (short, so that the file fits a disk): the
// anonymous memory the render adds to its inputs', against 1,000 sounds (the
// file's pages are the kernel's to write back and drop as it likes).
//
// Usage: quorlin_one_shot_bench [--sounds N] [--runs N] [--mapped-sounds N] [--folder DIR]
#include <fcntl.h>
#include <lv2/atom/util.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/machine_report.h"
#include "lv2/bundle_layout.h"
#include "lv2/lv2_synth_plugin.h"
#include "python/one_shots/one_shot_render.h"

namespace {

constexpr int32_t kBlock = 512;
constexpr LV2_URID kMidiEventType = 1;

struct Sounds {
  std::vector<double> params;
  std::vector<int64_t> notes, velocities;
  OneShotRequest request;

  Sounds(int64_t count, double noteSeconds, double tailSeconds)
      : params(count * kParameterCount), notes(count), velocities(count) {
    std::mt19937 random(31);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (double& value : params) value = unit(random);
    for (int64_t& note : notes) note = random() % 128;
    for (int64_t& velocity : velocities) velocity = 1 + random() % 127;
    request.count = count;
    request.useRows(params.data());
    request.notes = notes.data();
    request.noteCount = count;
    request.velocities = velocities.data();
    request.velocityCount = count;
    request.noteSeconds = noteSeconds;
    request.tailSeconds = tailSeconds;
  }
  int64_t frames() const { return checkOneShots(request).total; }
  double audioSeconds() const { return static_cast<double>(request.count * frames()) / request.rate; }
};

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The process's CPU seconds, every thread's, user and system.
double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

struct Seconds {
  double wall;
  double cpu;
};

template <typename Work>
Seconds timed(Work work) {
  const auto start = std::chrono::steady_clock::now();
  const double cpuStart = cpuSeconds();
  work();
  return {secondsSince(start), cpuSeconds() - cpuStart};
}

Seconds renderSeconds(const Sounds& sounds, float* out, int threads) {
  const std::atomic<bool> stop{false};
  return timed([&] { renderOneShots(sounds.request, out, threads, stop); });
}

// An LV2 host's MIDI port holding at most the two events of a block.
struct MidiPort {
  alignas(8) uint8_t buffer[256];
  LV2_Atom* atom() { return reinterpret_cast<LV2_Atom*>(buffer); }
  void clear() { *atom() = LV2_Atom{sizeof(LV2_Atom_Sequence_Body), 0}; }
  void add(int64_t frame, uint8_t status, uint8_t note, uint8_t velocity) {
    auto* event = reinterpret_cast<LV2_Atom_Event*>(buffer + sizeof(LV2_Atom) + atom()->size);
    *event = LV2_Atom_Event{{frame}, {3, kMidiEventType}};
    const uint8_t message[3] = {status, note, velocity};
    std::memcpy(event + 1, message, sizeof message);
    atom()->size += lv2_atom_pad_size(sizeof(LV2_Atom_Event) + sizeof message);
  }
};

// Sound i alone through a fresh LV2 plug-in object, into `left` and `right`.
void renderAlone(const Sounds& sounds, int64_t i, const OneShotFrames& frames, float* left, float* right) {
  Lv2SynthPlugin plugin(static_cast<double>(sounds.request.rate), kMidiEventType);
  MidiPort midi;
  float controls[kParameterCount];
  for (int p = 0; p < kParameterCount; ++p) {
    controls[p] = static_cast<float>(sounds.params[i * kParameterCount + p]);
    plugin.connect(controlPortOf(p), &controls[p]);
  }
  plugin.connect(kMidiInPort, midi.buffer);
  const auto note = static_cast<uint8_t>(sounds.notes[i]);
  for (int64_t start = 0; start < frames.total; start += kBlock) {
    const int64_t length = std::min<int64_t>(kBlock, frames.total - start);
    midi.clear();
    if (start == 0) midi.add(0, 0x90, note, static_cast<uint8_t>(sounds.velocities[i]));
    if (frames.noteOff >= start && frames.noteOff < start + length) midi.add(frames.noteOff - start, 0x80, note, 0);
    plugin.connect(kLeftOutPort, left + start);
    plugin.connect(kRightOutPort, right + start);
    plugin.run(static_cast<uint32_t>(length));
  }
}

// Every sound alone; counts the sounds that differ from their one-shot in
// `oneShots`.
Seconds oneAtATimeSeconds(const Sounds& sounds, const float* oneShots, int64_t& differing) {
  const OneShotFrames frames = checkOneShots(sounds.request);
  std::vector<float> left(frames.total), right(frames.total);
  differing = 0;
  return timed([&] {
    for (int64_t i = 0; i < sounds.request.count; ++i) {
      renderAlone(sounds, i, frames, left.data(), right.data());
      if (std::memcmp(left.data(), oneShots + i * frames.total, frames.total * sizeof(float)) != 0) ++differing;
    }
  });
}

// The median, and the least, of the rounds' wall times and of their CPU times.
struct Summary {
  double wall, fastestWall, cpu;
};

Summary summary(const std::vector<Seconds>& rounds) {
  std::vector<double> walls, cpus;
  for (const Seconds& round : rounds) {
    walls.push_back(round.wall);
    cpus.push_back(round.cpu);
  }
  std::sort(walls.begin(), walls.end());
  std::sort(cpus.begin(), cpus.end());
  return {walls[walls.size() / 2], walls.front(), cpus[cpus.size() / 2]};
}

// A line of /proc/self/status, in kB ("VmHWM", "RssAnon").
long statusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(prefix, 0) == 0) return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
  }
  return -1;
}

// In a child process: `count` short sounds into a mapped file in `folder`;
// prints the peak of its anonymous resident memory (sampled every
// millisecond) and its resident size at the end.
void mappedRun(int64_t count, const std::string& folder, int threads) {
  std::fflush(stdout);
  const pid_t child = fork();
  if (child != 0) {
    int status = 0;
    waitpid(child, &status, 0);
    return;
  }
  const Sounds sounds(count, 0.05, 0.05);
  const size_t bytes = static_cast<size_t>(count * sounds.frames()) * sizeof(float);
  const std::string path = folder + "/quorlin-one-shots-" + std::to_string(getpid()) + ".f32";
  const int file = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
  if (file < 0 || ftruncate(file, static_cast<off_t>(bytes)) != 0) {
    std::printf("cannot make %s\n", path.c_str());
    _exit(1);
  }
  void* mapped = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
  unlink(path.c_str());
  std::atomic<bool> done{false};
  const long before = statusKilobytes("RssAnon");  // the inputs and the program
  long peak = before;
  std::thread sampler([&] {
    while (!done) {
      peak = std::max(peak, statusKilobytes("RssAnon"));
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  const auto start = std::chrono::steady_clock::now();
  const std::atomic<bool> stop{false};
  renderOneShots(sounds.request, static_cast<float*>(mapped), threads, stop);
  const double seconds = secondsSince(start);
  done = true;
  sampler.join();
  std::printf("  %7lld sounds, %5.2f GB file: %5.2f s; anonymous memory %5.1f MB before (the inputs), at most "
              "+%4.1f MB while rendering; file pages resident at the end %6.0f MB\n",
              static_cast<long long>(count), bytes / 1e9, seconds, before / 1024.0, (peak - before) / 1024.0,
              statusKilobytes("RssFile") / 1024.0);
  std::fflush(stdout);
  _exit(0);
}

}  // namespace

int main(int argc, char** argv) {
  int64_t count = 4096, mappedCount = 100000;
  int runs = 3;
  std::string folder = "/tmp";
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--sounds") count = std::atoll(argv[i + 1]);
    if (option == "--runs") runs = std::atoi(argv[i + 1]);
    if (option == "--mapped-sounds") mappedCount = std::atoll(argv[i + 1]);
    if (option == "--folder") folder = argv[i + 1];
  }
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  std::printf("%s, %d cores; engine vector path %s\n", processorName().c_str(), cores, vectorPathReport().c_str());

  std::printf("peak memory, sounds of 0.1 s at 44.1 kHz into a memory-mapped file in %s, %d threads:\n",
              folder.c_str(), cores);
  mappedRun(1000, folder, cores);
  mappedRun(mappedCount, folder, cores);

  const Sounds sounds(count, 3.0, 1.0);
  const size_t floats = static_cast<size_t>(count * sounds.frames());
  std::vector<float> out(floats, 0.0f);  // touched: the kernel's page filling is not timed
  std::vector<Seconds> single, all, fresh, alone;
  int64_t differing = 0;
  for (int run = 0; run < runs; ++run) {
    single.push_back(renderSeconds(sounds, out.data(), 1));
    all.push_back(renderSeconds(sounds, out.data(), cores));
    {
      // Allocated as malloc, and so numpy, allocates a large array: mapped,
      // none of its pages written yet.
      const size_t size = floats * sizeof(float);
      void* untouched = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      fresh.push_back(renderSeconds(sounds, static_cast<float*>(untouched), cores));
      munmap(untouched, size);
    }
    alone.push_back(oneAtATimeSeconds(sounds, out.data(), differing));
  }

  const double audio = sounds.audioSeconds();
  const double bytes = static_cast<double>(floats) * sizeof(float);
  std::printf("%lld mono sounds of 4 s at 44.1 kHz (%.0f s of sound, %.2f GB), %d rounds; wall: median (fastest)\n",
              static_cast<long long>(count), audio, bytes / 1e9, runs);
  std::printf("  %-35s %17s %9s %20s %18s %10s\n", "", "wall", "CPU", "x real time (wall)", "per CPU second",
              "written");
  const auto row = [&](const char* name, const Summary& t) {
    std::printf("  %-35s %7.3f (%6.3f) s %7.3f s %9.0fx (%7.0fx) %17.0fx %6.2f GB/s\n", name, t.wall, t.fastestWall,
                t.cpu, audio / t.wall, audio / t.fastestWall, audio / t.cpu, bytes / t.wall / 1e9);
  };
  const Summary one = summary(single), every = summary(all), freshly = summary(fresh), eachAlone = summary(alone);
  row("one-shots, 1 thread", one);
  row("one-shots, all cores", every);
  row("one-shots, all cores, fresh memory", freshly);
  row("one at a time (LV2 object)", eachAlone);
  std::printf("one-shots per core over one at a time (goal: 8x), by median wall time: %.1fx on 1 thread, %.1fx on %d; "
              "by CPU time: %.1fx on 1 thread, %.1fx on %d\n",
              eachAlone.wall / one.wall, eachAlone.wall / every.wall / cores, cores, eachAlone.cpu / one.cpu,
              eachAlone.cpu / every.cpu, cores);
  std::printf("one-shots on all cores (goal: 16,200x): %.0fx real time by median wall time, %.0fx by the fastest\n",
              audio / every.wall, audio / every.fastestWall);
  std::printf("sounds that differ from their one-shot: %lld of %lld\n", static_cast<long long>(differing),
              static_cast<long long>(count));
  return differing == 0 ? 0 : 1;
}
