// The instrument plays eight voices: the engine keeps them in one array and
// ticks and mixes them together, eight SSE2 lanes at a time.
#pragma once

constexpr int kVoiceCount = 8;
