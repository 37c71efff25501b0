// The five value-to-text tools. Every expectation is an exact text: digits are
// truncated from the single-precision value, never rounded, and a host shows
// these eight columns as they are.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "spy_effect.h"

namespace {

constexpr size_t kBuffer = 32;
constexpr unsigned char kUnwritten = 0xA5;

// Runs a tool on a buffer pre-filled with a marker and checks that it wrote a
// terminated text of at most eight characters and nothing past it.
template <typename Tool>
std::string textOf(Tool tool) {
  char buffer[kBuffer];
  std::memset(buffer, kUnwritten, sizeof buffer);
  tool(buffer);
  const void* terminator = std::memchr(buffer, '\0', 9);
  EXPECT_NE(terminator, nullptr) << "no terminator within nine bytes";
  for (size_t i = 9; i < kBuffer; ++i) {
    EXPECT_EQ(static_cast<unsigned char>(buffer[i]), kUnwritten) << "wrote past the ninth byte at " << i;
  }
  return terminator != nullptr ? std::string(buffer) : std::string();
}

struct FloatCase {
  float value;
  const char* text;
};

class FloatToText : public ::testing::TestWithParam<FloatCase> {};

TEST_P(FloatToText, WritesTheTruncatedDigitsInEightColumns) {
  PlainEffect effect(nullptr);
  EXPECT_EQ(textOf([&](char* text) { effect.floatToText(GetParam().value, text); }), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, FloatToText,
                         ::testing::Values(FloatCase{0.5f, "0.500000"}, FloatCase{440.0f, "440.0000"},
                                           FloatCase{-3.25f, "-3.25000"}, FloatCase{0.0f, "0.000000"},
                                           FloatCase{-0.0f, "0.000000"},  // negative zero is not negative
                                           FloatCase{1234567.0f, "1234567."},
                                           FloatCase{0.7f, "0.699999"},  // 0.7f is 0.69999998...
                                           FloatCase{1.0f, "1.000000"}, FloatCase{-0.5f, "-0.50000"},
                                           FloatCase{12.25f, "12.25000"}, FloatCase{-234567.0f, "-234567."},
                                           FloatCase{-9.75f, "-9.75000"},
                                           FloatCase{100000000.0f, " Huge!  "},
                                           FloatCase{-10000000.0f, " Huge!  "},
                                           FloatCase{1.0e30f, " Huge!  "}));

struct IntegerCase {
  int32_t value;
  const char* text;
};

class IntegerToText : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerToText, RightAlignsInSevenColumnsCutAtEight) {
  PlainEffect effect(nullptr);
  EXPECT_EQ(textOf([&](char* text) { effect.integerToText(GetParam().value, text); }), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, IntegerToText,
                         ::testing::Values(IntegerCase{42, "     42"}, IntegerCase{0, "      0"},
                                           IntegerCase{-5, "     -5"}, IntegerCase{1234567, "1234567"},
                                           IntegerCase{99999999, "99999999"},
                                           IntegerCase{100000000, " Huge!  "},
                                           IntegerCase{INT32_MAX, " Huge!  "},
                                           IntegerCase{-1234567, "-1234567"},
                                           IntegerCase{-12345678, "-1234567"},
                                           IntegerCase{INT32_MIN, "-2147483"}));

TEST(DecibelsToText, ConvertsAmplitudeAndShowsMinusInfinityForSilence) {
  PlainEffect effect(nullptr);
  auto decibels = [&](float amplitude) {
    return textOf([&](char* text) { effect.decibelsToText(amplitude, text); });
  };
  EXPECT_EQ(decibels(1.0f), "0.000000");
  EXPECT_EQ(decibels(0.5f), "-6.02059");
  EXPECT_EQ(decibels(10.0f), "20.00000");
  EXPECT_EQ(decibels(0.0f), "  -oo   ");
  EXPECT_EQ(decibels(-1.0f), "  -oo   ");
}

TEST(HertzToText, TurnsAPeriodInSamplesIntoAFrequency) {
  PlainEffect effect(nullptr);
  auto hertz = [&](float samples) { return textOf([&](char* text) { effect.hertzToText(samples, text); }); };
  EXPECT_EQ(hertz(100.0f), "441.0000");
  EXPECT_EQ(hertz(0.0f), "0.000000");
  effect.setSampleRate(48000.0f);
  EXPECT_EQ(hertz(480.0f), "100.0000");
}

TEST(MillisecondsToText, TurnsSamplesIntoMilliseconds) {
  PlainEffect effect(nullptr);
  auto milliseconds = [&](float samples) {
    return textOf([&](char* text) { effect.millisecondsToText(samples, text); });
  };
  EXPECT_EQ(milliseconds(44100.0f), "1000.000");
  EXPECT_EQ(milliseconds(441.0f), "10.00000");
  EXPECT_EQ(milliseconds(0.0f), "0.000000");
  effect.setSampleRate(0.0f);
  EXPECT_EQ(milliseconds(100.0f), " Huge!  ");  // the quotient is infinite
}

// A class that replaces floatToText or currentSampleRate changes what the
// unit tools write: they reach both through the object's virtual operations.
class FormatWatch : public PlainEffect {
 public:
  FormatWatch() : PlainEffect(nullptr) {}
  void floatToText(float value, char* text) override {
    handed = value;
    std::strcpy(text, "watched");
  }
  float currentSampleRate() override { return 1000.0f; }
  float handed = -1.0f;
};

TEST(UnitTools, HandTheirNumberToTheReplaceableFloatToText) {
  FormatWatch effect;
  char text[kBuffer];
  effect.decibelsToText(10.0f, text);
  EXPECT_STREQ(text, "watched");
  EXPECT_FLOAT_EQ(effect.handed, 20.0f);  // within 4 ulp: log10 is a library function
  effect.hertzToText(4.0f, text);
  EXPECT_EQ(effect.handed, 250.0f);  // exact: 1000 / 4
  effect.millisecondsToText(500.0f, text);
  EXPECT_EQ(effect.handed, 500.0f);  // exact: 500 × 1000 / 1000
  EXPECT_STREQ(text, "watched");
}

}  // namespace
