// Number-to-text tools for parameter displays: eight characters, digits taken
// by truncation, never by rounding.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "vst2/interface/effect_base.h"

namespace {

const char kHuge[] = " Huge!  ";
const char kMinusInfinity[] = "  -oo   ";
const char kNotANumber[] = "  NaN   ";
constexpr int kWidth = 8;

char digitOf(double value) { return static_cast<char>('0' + static_cast<int>(std::trunc(std::fmod(value, 10.0)))); }

}  // namespace

void EffectBase::decibelsToText(float amplitude, char* text) {
  if (amplitude > 0)
    floatToText(static_cast<float>(20.0 * std::log10(static_cast<double>(amplitude))), text);
  else
    std::strcpy(text, kMinusInfinity);
}

void EffectBase::hertzToText(float samples, char* text) {
  float rate = currentSampleRate();
  if (samples == 0)
    floatToText(0.0f, text);
  else
    floatToText(rate / samples, text);
}

void EffectBase::millisecondsToText(float samples, char* text) {
  double rate = currentSampleRate();
  floatToText(static_cast<float>(samples * 1000.0 / rate), text);
}

void EffectBase::floatToText(float value, char* text) {
  double v = value;
  if (std::isnan(v)) {
    std::strcpy(text, kNotANumber);
    return;
  }
  bool negative = v < 0;
  int count = 0;
  if (negative) {
    v = -v;
    count = 1;
  }
  // Only numbers whose integer part fits beside the point are shown; wider
  // ones would lose their leading digits, which reads as a wrong value.
  if ((negative && v >= 1000000.0) || (!negative && v >= 10000000.0)) {
    std::strcpy(text, kHuge);
    return;
  }

  double integ = std::floor(v);
  std::string shown(1, digitOf(integ));
  shown += '.';
  integ *= 0.1;
  count += 2;
  while (integ >= 1.0 && count < kWidth) {
    shown.insert(shown.begin(), digitOf(integ));
    integ *= 0.1;
    ++count;
  }
  if (negative) shown.insert(shown.begin(), '-');

  if (count < kWidth) {
    int fractionDigits = kWidth - count;
    double m = std::fmod(v, 1.0) * std::pow(10.0, fractionDigits);
    std::string fraction(fractionDigits, '0');
    for (int i = fractionDigits - 1; i >= 0; --i) {
      if (m > 0) {
        fraction[i] = digitOf(m);
        m *= 0.1;
      }
    }
    shown += fraction;
  }
  std::strcpy(text, shown.c_str());
}

void EffectBase::integerToText(int32_t value, char* text) {
  if (value >= 100000000) {
    std::strcpy(text, kHuge);
    return;
  }
  char formatted[16];
  std::snprintf(formatted, sizeof formatted, "%7d", static_cast<int>(value));
  formatted[kWidth] = '\0';
  std::strcpy(text, formatted);
}
