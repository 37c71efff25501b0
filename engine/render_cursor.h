// Where the renderer stands in the current event list. It survives from one
// block to the next; only a new event list restarts it.
#pragma once

#include <cstdint>

struct RenderCursor {
  int32_t nextEvent = 0;      // index of the next event to play
  int32_t eventFramePos = 0;  // frames rendered since the list arrived
};
