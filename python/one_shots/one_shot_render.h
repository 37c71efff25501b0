// Renders a request's sounds into the caller's array on worker threads.
//
// Threads. `threads` workers each run a OneShotRenderer (sixteen lanes); its
// lanes take sounds one at a time from a source they share under a mutex,
// the next of the waveform they play, and write each sound's rows alone, so
// no two threads ever write the same float. The caller's stop flag is read
// between runs, each a few thousand frames at most.
#pragma once

#include <atomic>

#include "engine/vector_path.h"
#include "python/one_shots/one_shot_request.h"

// Checks the request whole (OneShotError, with nothing written), then
// renders sound i into out[(i * channels + c) * frames ...] for channel c,
// the frames being checkOneShots' total. Answers false when `stop` became
// true first: the sounds are then partly written.
bool renderOneShots(const OneShotRequest& request, float* out, int threads, const std::atomic<bool>& stop,
                    VectorPath path = bestVectorPath());
