// Splitting a batch list into lines and words, exactly as written, read from
// a file a line at a time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_folder.h"
#include "tools/commands/batch_list.h"

namespace {

using Words = std::vector<std::string>;

std::vector<BatchLine> readList(const std::string& text, const BatchShard& shard = {}) {
  const TestFolder folder;
  BatchList list(folder.write("list.txt", std::vector<uint8_t>(text.begin(), text.end())), shard);
  std::vector<BatchLine> lines;
  for (BatchLine line; list.next(line);) lines.push_back(line);
  return lines;
}

TEST(BatchList, SkipsBlankAndCommentLinesAndKeepsLineNumbers) {
  const std::vector<BatchLine> lines =
      readList("# songs\n\n a.mid  a.wav --rate 48000\r\n\t\r\n   # later\nb.mid b.wav");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].number, 3);
  EXPECT_EQ(lines[0].words, (Words{"a.mid", "a.wav", "--rate", "48000"}));
  EXPECT_EQ(lines[1].number, 6);
  EXPECT_EQ(lines[1].words, (Words{"b.mid", "b.wav"}));
}

TEST(BatchList, QuotesHoldBlanksAnywhereInAWordAndBackslashesAreKept) {
  const std::vector<BatchLine> lines =
      readList("\"my song.mid\" C:\\out\\\"my song\".wav \"\" #not-a-comment\n\"open.mid out.wav\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].words, (Words{"my song.mid", "C:\\out\\my song.wav", "", "#not-a-comment"}));
  EXPECT_EQ(lines[0].problem, "");
  EXPECT_EQ(lines[1].problem, "a quote is not closed");
}

TEST(BatchList, ShardsCountEveryLineOfTheListAndOverlongLinesAreTheirLinesFault) {
  const std::string text = "a.mid a.wav\n# note\nb.mid b.wav\n\n" + std::string(LineReader::kLongestLine + 1, 'x') +
                           "\nc.mid c.wav\n";
  const struct {
    BatchShard shard;
    std::vector<int64_t> numbers;
  } cases[] = {{{0, 1}, {1, 3, 5, 6}}, {{0, 2}, {6}}, {{1, 2}, {1, 3, 5}}, {{2, 3}, {5}}};
  for (const auto& [shard, numbers] : cases) {
    std::vector<int64_t> read;
    for (const BatchLine& line : readList(text, shard)) {
      read.push_back(line.number);
      EXPECT_EQ(line.problem.empty(), line.number != 5) << line.number;
    }
    EXPECT_EQ(read, numbers) << shard.index << "/" << shard.count;
  }
  EXPECT_EQ(readList(text)[2].problem, "the line is longer than 65536 bytes");
}

}  // namespace
