// What a caller asks of the one-shot renderer: N sounds of the same length,
// each one note played with a patch of its own, and how they are laid out.
// Every value is checked before anything is rendered, and a bad one is
// named with its row and column, or its argument, in the caller's words.
#pragma once

#include <cstdint>
#include <stdexcept>

#include "engine/parameters.h"

struct OneShotRequest {
  int64_t count = 0;  // N, the sounds
  // The patches: parameter c of sound r, from 0 to 1, is
  // params[c][r * paramStrides[c]]: a column of N rows of eight (stride 8),
  // a column of its own (1), or one value for every sound (0). Read where
  // the caller keeps them, so that nothing here grows with N.
  const double* params[kParameterCount] = {};
  int64_t paramStrides[kParameterCount] = {};
  // The patches as N rows of the eight values in parameter order.
  void useRows(const double* rows) {
    for (int column = 0; column < kParameterCount; ++column) {
      params[column] = rows + column;
      paramStrides[column] = kParameterCount;
    }
  }
  double param(int64_t row, int column) const { return params[column][row * paramStrides[column]]; }
  // MIDI notes 0..127 and velocities 1..127: one for every sound, or N.
  const int64_t* notes = nullptr;
  int64_t noteCount = 0;
  const int64_t* velocities = nullptr;
  int64_t velocityCount = 0;
  double noteSeconds = 3.0;  // the key is held this long,
  double tailSeconds = 1.0;  // then released, and the sound goes on this much longer
  int64_t rate = 44100;      // a whole number of hertz, kMinSampleRate..kMaxSampleRate
  int64_t channels = 1;      // 1: the left output; 2: left and right
};

// Where the frames of a request fall: a render of the note alone, at
// noteSeconds long and noteSeconds + tailSeconds in all, puts them there
// (frameAt of each time in nanoseconds).
struct OneShotFrames {
  int64_t noteOff;
  int64_t total;  // of every sound
};

// A value that cannot be rendered; what() names it, in one line. Times and
// rates are taken as an instrument's render takes them: seconds from 0, the
// note and tail together at most kMaxSongSeconds, rates from kMinSampleRate
// to kMaxSampleRate.
class OneShotError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// The request's frames, once every value is checked: throws OneShotError
// for the first bad one (the arguments first, then the rows in order).
OneShotFrames checkOneShots(const OneShotRequest& request);
