// Reading option values: exact numbers or a usage error, never a guess.
#include <gtest/gtest.h>

#include <cstring>

#include "tools/commands/command_line.h"
#include "tools/system/tool_error.h"

namespace {

const char* const kUsage = "tool [options] FILE";

// Runs `parse`, which must fail with a usage error naming `expected`.
template <typename Parse>
void expectUsageError(Parse parse, const std::string& expected) {
  try {
    parse();
    FAIL() << "accepted; expected an error about " << expected;
  } catch (const ToolError& error) {
    EXPECT_EQ(error.status(), kExitBadInput);
    const std::string message = error.what();
    EXPECT_NE(message.find(expected), std::string::npos) << message;
    EXPECT_NE(message.find(std::string("usage: ") + kUsage), std::string::npos) << message;
  }
}

TEST(CommandLine, OptionsTakeValuesEitherWayAndKeepTheirOrder) {
  const std::vector<OptionDefinition> definitions = {{"--param", true}, {"--quiet", false}};
  const ParsedArguments parsed =
      parseArguments({"in.mid", "--param", "1=2", "--quiet", "--param=3=4", "out.wav", "--", "--param"}, definitions, kUsage);
  ASSERT_EQ(parsed.options.size(), 3u);
  EXPECT_EQ(parsed.options[0], (std::pair<std::string, std::string>{"--param", "1=2"}));
  EXPECT_EQ(parsed.options[1], (std::pair<std::string, std::string>{"--quiet", ""}));
  EXPECT_EQ(parsed.options[2], (std::pair<std::string, std::string>{"--param", "3=4"}));
  EXPECT_EQ(parsed.operands, (std::vector<std::string>{"in.mid", "out.wav", "--param"}));
}

TEST(CommandLine, UnknownOrIncompleteOptionsAreUsageErrors) {
  const std::vector<OptionDefinition> definitions = {{"--rate", true}, {"--quiet", false}};
  expectUsageError([&] { parseArguments({"--speed", "2"}, definitions, kUsage); }, "unknown option '--speed'");
  expectUsageError([&] { parseArguments({"-r"}, definitions, kUsage); }, "unknown option '-r'");
  expectUsageError([&] { parseArguments({"in.mid", "--rate"}, definitions, kUsage); }, "--rate needs a value");
  expectUsageError([&] { parseArguments({"--quiet=yes"}, definitions, kUsage); }, "--quiet takes no value");
}

TEST(CommandLine, WholeNumbersMustBeWholeAndInRange) {
  EXPECT_EQ(parseWholeNumber("--rate", "48000", 1000, 768000, kUsage), 48000);
  for (const char* bad : {"", "48k", "4.8e4", " 48000", "+48000", "999", "768001", "99999999999999999999"}) {
    expectUsageError([&] { parseWholeNumber("--rate", bad, 1000, 768000, kUsage); },
                     std::string("--rate needs a whole number from 1000 to 768000, not '") + bad + "'");
  }
}

TEST(CommandLine, FloatValuesRoundToTheNearestFloat) {
  // Exact: the nearest float to 0.1 is the float literal 0.1f.
  EXPECT_EQ(parseFloatValue("--param", "0.1", kUsage), 0.1f);
  EXPECT_EQ(parseFloatValue("--param", "-2.5e-1", kUsage), -0.25f);
  for (const char* bad : {"", "0.1x", "inf", "nan", "1e99", ",5"}) {
    expectUsageError([&] { parseFloatValue("--param", bad, kUsage); }, "--param needs a finite decimal number");
  }
}

TEST(CommandLine, SecondsAreExactNanoseconds) {
  EXPECT_EQ(parseNanoseconds("--tail", "1", 3600, kUsage), 1000000000);
  EXPECT_EQ(parseNanoseconds("--tail", "0.1", 3600, kUsage), 100000000);
  EXPECT_EQ(parseNanoseconds("--tail", ".000000001", 3600, kUsage), 1);
  EXPECT_EQ(parseNanoseconds("--tail", "2.", 3600, kUsage), 2000000000);
  EXPECT_EQ(parseNanoseconds("--tail", "3600", 3600, kUsage), 3600000000000);
  for (const char* bad : {"", ".", "-1", "1e3", "0.0000000001", "3600.5", "1.2.3", "abc"}) {
    expectUsageError([&] { parseNanoseconds("--tail", bad, 3600, kUsage); }, "--tail needs a number of seconds");
  }
}

}  // namespace
