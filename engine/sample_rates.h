// The sample rates the instrument is rendered at by quorlin-host and by the
// Python package: whole numbers of hertz in this range. Its low end keeps
// every note's period above the voice lanes' shortest (a sixteenth of a
// sample; note 127 at 1000 Hz lasts 0.08 samples), its high end is the
// highest rate audio interfaces offer.
#pragma once

#include <cstdint>

constexpr int32_t kLowestSampleRate = 1000;
constexpr int32_t kHighestSampleRate = 768000;
