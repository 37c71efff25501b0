#include "python/one_shots/one_shot_render.h"

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/one_shot_renderer.h"

namespace {

// The request's sounds, handed out one waveform at a time: a cursor per
// waveform goes through the rows in order, so each sound is taken once.
class SharedSource : public OneShotSource {
 public:
  SharedSource(const OneShotRequest& request, const OneShotFrames& frames, float* out, const std::atomic<bool>& stop)
      : request(request), frames(frames), out(out), stop(stop) {}

  bool take(Waveform waveform, OneShotSound& sound) override {
    const std::lock_guard<std::mutex> lock(mutex);
    int64_t& row = next[static_cast<int>(waveform)];
    while (row < request.count && waveformOf(value(row, 0)) != waveform) ++row;
    if (row == request.count || stopRequested()) return false;
    fill(row++, sound);
    return true;
  }
  bool stopRequested() const override { return stop.load(std::memory_order_relaxed) || abandoned.load(); }
  // The work is given up (a worker could not be started).
  void abandon() { abandoned = true; }

 private:
  // The value as the instrument holds it: a float.
  float value(int64_t row, int column) const {
    return static_cast<float>(request.param(row, column));
  }
  void fill(int64_t row, OneShotSound& sound) const {
    for (int column = 0; column < kParameterCount; ++column) sound.values[column] = value(row, column);
    sound.note = static_cast<int32_t>(request.notes[request.noteCount > 1 ? row : 0]);
    sound.velocity = static_cast<int32_t>(request.velocities[request.velocityCount > 1 ? row : 0]);
    float* rows = out + row * request.channels * frames.total;
    sound.left = rows;
    sound.right = request.channels == 2 ? rows + frames.total : nullptr;
  }

  const OneShotRequest& request;
  const OneShotFrames frames;
  float* const out;
  const std::atomic<bool>& stop;
  std::atomic<bool> abandoned{false};
  std::mutex mutex;
  int64_t next[3] = {0, 0, 0};
};

}  // namespace

bool renderOneShots(const OneShotRequest& request, float* out, int threads, const std::atomic<bool>& stop,
                    VectorPath path) {
  const OneShotFrames frames = checkOneShots(request);
  if (request.count == 0) return true;
  SharedSource source(request, frames, out, stop);
  const OneShotTiming timing{static_cast<float>(request.rate), frames.noteOff, frames.total};
  std::atomic<bool> finished{true};
  const auto work = [&] {
    if (!OneShotRenderer(path, timing).render(source)) finished = false;
  };

  // More workers than groups of sounds would only wait.
  const int64_t groups = (request.count + OneShotRenderer::kLanes - 1) / OneShotRenderer::kLanes;
  const int workers = static_cast<int>(std::clamp<int64_t>(threads, 1, groups));
  std::vector<std::thread> helpers;
  try {
    for (int i = 1; i < workers; ++i) helpers.emplace_back(work);
  } catch (...) {
    source.abandon();
    for (std::thread& helper : helpers) helper.join();
    throw;
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  return finished;
}
