// The threaded one-shot renderer: every bad value refused with its row and
// column or its argument named, before anything is written; the sounds
// written where the layout says, the same bits on any number of threads (the
// bits themselves are the instrument's: tests/engine/one_shot_renderer_test);
// a stop request heeded.
#include "python/one_shots/one_shot_render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

// N random patches, notes and velocities, short sounds.
struct Sounds {
  explicit Sounds(int64_t count, uint32_t seed = 1) : params(count * 8), notes(count), velocities(count) {
    std::mt19937 random(seed);
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
    request.noteSeconds = 0.05;
    request.tailSeconds = 0.02;
    request.channels = 2;
  }
  // Renders into a buffer of NaN and answers it.
  std::vector<float> render(int threads) const {
    const std::atomic<bool> stop{false};
    std::vector<float> out(outputSize(), NAN);
    EXPECT_TRUE(renderOneShots(request, out.data(), threads, stop));
    return out;
  }
  size_t outputSize() const {
    return static_cast<size_t>(request.count * request.channels * checkOneShots(request).total);
  }

  std::vector<double> params;
  std::vector<int64_t> notes, velocities;
  OneShotRequest request;
};

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

}  // namespace

TEST(OneShotRender, RefusesABadValueNamingItAndWritesNothing) {
  const struct {
    const char* message;
    std::function<void(Sounds&)> spoil;
  } cases[] = {
      {"rate needs a whole number from 1000 to 768000, not 999", [](Sounds& s) { s.request.rate = 999; }},
      {"rate needs a whole number from 1000 to 768000, not 768001", [](Sounds& s) { s.request.rate = 768001; }},
      {"channels needs a whole number from 1 to 2, not 0", [](Sounds& s) { s.request.channels = 0; }},
      {"note_seconds needs a number of seconds from 0 to 86400, not -0.5",
       [](Sounds& s) { s.request.noteSeconds = -0.5; }},
      {"tail_seconds needs a number of seconds from 0 to 86400, not nan", [](Sounds& s) { s.request.tailSeconds = NAN; }},
      {"note_seconds + tail_seconds needs a number of seconds from 0 to 86400, not 86400.5",
       [](Sounds& s) {
         s.request.noteSeconds = 86400;
         s.request.tailSeconds = 0.5;
       }},
      {"notes needs one value, or one for each of the 10 sounds, not 3", [](Sounds& s) { s.request.noteCount = 3; }},
      {"velocities needs a whole number from 1 to 127, not 128",
       [](Sounds& s) {
         s.velocities[0] = 128;
         s.request.velocityCount = 1;
       }},
      {"params row 4, column 3 (decay_time) needs a number from 0 to 1, not 1.5",
       [](Sounds& s) { s.params[4 * 8 + 3] = 1.5; }},
      {"params row 9, column 0 (waveform) needs a number from 0 to 1, not -1e-30",
       [](Sounds& s) { s.params[9 * 8] = -1e-30; }},
      {"params row 2, column 7 (resonance) needs a number from 0 to 1, not inf",
       [](Sounds& s) { s.params[2 * 8 + 7] = INFINITY; }},
      {"params row 6, column 6 (lowpass) needs a number from 0 to 1, not nan",
       [](Sounds& s) { s.params[6 * 8 + 6] = NAN; }},
      {"notes row 8 needs a whole number from 0 to 127, not 128", [](Sounds& s) { s.notes[8] = 128; }},
      {"notes row 1 needs a whole number from 0 to 127, not -1", [](Sounds& s) { s.notes[1] = -1; }},
      {"velocities row 5 needs a whole number from 1 to 127, not 0", [](Sounds& s) { s.velocities[5] = 0; }},
  };
  for (const auto& c : cases) {
    Sounds sounds(10);
    std::vector<float> out(sounds.outputSize(), 7.0f);
    c.spoil(sounds);
    const std::atomic<bool> stop{false};
    try {
      renderOneShots(sounds.request, out.data(), 2, stop);
      ADD_FAILURE() << "no error; expected: " << c.message;
    } catch (const OneShotError& error) {
      EXPECT_EQ(std::string(error.what()), c.message);
    }
    EXPECT_EQ(std::count(out.begin(), out.end(), 7.0f), static_cast<ptrdiff_t>(out.size())) << c.message;
  }
}

// Each sound rendered among many, on one thread or three, is the same sound
// rendered alone, in its own rows; one note or velocity serves every sound.
TEST(OneShotRender, EverySoundLandsInItsOwnRowsAsRenderedAloneOnAnyThreads) {
  Sounds many(70);
  many.velocities.assign(1, 90);
  many.request.velocityCount = 1;
  const std::vector<float> oneThread = many.render(1);
  EXPECT_TRUE(sameBits(many.render(3), oneThread));

  const size_t rowsOfSound = many.outputSize() / 70;
  for (int64_t i = 0; i < 70; i += 7) {
    Sounds alone(1);
    std::copy_n(many.params.begin() + i * 8, 8, alone.params.begin());
    alone.notes[0] = many.notes[i];
    alone.velocities[0] = 90;
    const std::vector<float> expected = alone.render(1);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), oneThread.begin() + i * rowsOfSound,
                           [](float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }))
        << "sound " << i;
  }
}

TEST(OneShotRender, AStopAlreadyRequestedRendersNothingAndSaysSo) {
  Sounds sounds(40);
  std::vector<float> out(sounds.outputSize(), 7.0f);
  const std::atomic<bool> stop{true};
  EXPECT_FALSE(renderOneShots(sounds.request, out.data(), 2, stop));
  EXPECT_EQ(std::count(out.begin(), out.end(), 7.0f), static_cast<ptrdiff_t>(out.size()));
}
