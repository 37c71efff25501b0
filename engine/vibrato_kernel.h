// The inner loop of VibratoSine::fill: the sines of a span of ticks that share
// an anchor (vibrato_sine.h explains the sum). It is a plain loop that the
// compiler runs several ticks at a time, and each vector path's file compiles
// it for its own instructions: with AVX2, four ticks at a time. The template
// argument, a type of that file's own, keeps each file's copy its own.
#pragma once

struct VibratoSpan {
  double anchor;          // the anchor's counter
  double anchorArgument;  // and its argument, sine and cosine
  double anchorSine;
  double anchorCosine;
  float rate;
  const double* offsetArguments;  // per offset from the anchor, 0..255
  const double* offsetSines;
  const double* offsetCosines;
  int first;  // the offsets of the span, [first, end)
  int end;
};

// Vibrato rate in radians per second: 125.6 / 2 pi, about 20 Hz.
constexpr double kVibratoRadiansPerSecond = 125.6;

// sines[i - first] for the span's offsets i.
template <typename Path>
void vibratoSines(const VibratoSpan& span, double* sines) {
  const double rate = static_cast<double>(span.rate);
  for (int i = span.first; i < span.end; ++i) {
    const double argument = (span.anchor + i) * kVibratoRadiansPerSecond / rate;
    const double error = (argument - span.anchorArgument) - span.offsetArguments[i];
    const double sum = span.anchorSine * span.offsetCosines[i] + span.anchorCosine * span.offsetSines[i];
    const double slope = span.anchorCosine * span.offsetCosines[i] - span.anchorSine * span.offsetSines[i];
    sines[i - span.first] = sum + error * slope;
  }
}

// Each path's instance.
void vibratoSinesSse2(const VibratoSpan& span, double* sines);
void vibratoSinesAvx2(const VibratoSpan& span, double* sines);
