// The lines a render prints when it is done: one for each song, and one for
// a whole batch.
#pragma once

#include <cstdint>
#include <string>

#include "tools/commands/song_render.h"

// "OUT: 1.35 s, 2 ch, 44100 Hz, f32, peak -3.2 dBFS, 0 samples over full
// scale (kept), 812.4x real time", and with --tail auto ", tail 0.42 s".
std::string songSummary(const SongSettings& song, const SongResult& result);

struct BatchTotals {
  int64_t songsDone = 0;
  int64_t songsFailed = 0;
  double audioSeconds = 0.0;
  double wallSeconds = 0.0;
};

// "batch: 998 songs done, 2 failed, 1996.00 s of audio in 4.12 s, 484.5x real time".
std::string batchSummary(const BatchTotals& totals);
