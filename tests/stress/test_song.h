// A short deterministic song per song number, played through a record the
// way a host plays it: settings through the dispatcher and parameters, then
// blocks of 512 frames, each preceded by its event list. Different numbers
// give different programs, sample rates, notes and controllers, so two
// instances that leaked state into each other would not sound alike.
#pragma once

#include <vector>

#include "vst2/interface/vst2_abi.h"

constexpr int kSongBlockFrames = 512;

/// Sample rate, program values and program choice of the song, then resume.
void prepareSong(AEffect* effect, int song);

/// Sends block `block`'s events and renders it; left and right hold kSongBlockFrames samples.
void playSongBlock(AEffect* effect, int song, int block, float* left, float* right);

/// prepareSong, then `blocks` blocks; the left samples of every block, then its right ones.
std::vector<float> renderSong(AEffect* effect, int song, int blocks);
