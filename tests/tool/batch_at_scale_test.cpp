// Batches at data-set scale, through the probe: a list from a pipe renders
// its first song before its producer is done, the result log holds one whole
// JSON object per finished line that matches what was written, and shards of
// a list (by --shard, and by GNU parallel --pipe) write together exactly the
// files of the whole batch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "midi_bytes.h"
#include "test_folder.h"
#include "tool_process.h"
#include "wav_reading.h"

namespace {

struct JsonValue {
  bool isNull = false;
  std::string text;  // a string's characters, or a number as written
  double number = 0.0;
};
using JsonObject = std::map<std::string, JsonValue>;

// A log line read strictly, as a driver would read it: a flat object of
// strings (with the escapes the log writes), numbers and nulls, and nothing
// after it. Null when the line is anything else.
std::optional<JsonObject> jsonObject(const std::string& line) {
  size_t at = 0;
  const auto take = [&](char c) {
    while (at < line.size() && line[at] == ' ') ++at;
    return at < line.size() && line[at] == c && ++at;
  };
  const auto string = [&](std::string& out) {
    for (; at < line.size() && line[at] != '"'; ++at) {
      if (line.compare(at, 4, "\\u00") == 0 && at + 6 <= line.size()) {
        out += static_cast<char>(std::stoi(line.substr(at + 4, 2), nullptr, 16));
        at += 5;
      } else {
        out += line[at] == '\\' && at + 1 < line.size() && std::strchr("\"\\", line[at + 1]) ? line[++at] : line[at];
      }
    }
    return take('"');
  };
  JsonObject fields;
  if (!take('{')) return std::nullopt;
  do {
    std::string name;
    JsonValue value;
    if (!take('"') || !string(name) || !take(':')) return std::nullopt;
    if (take('"')) {
      if (!string(value.text)) return std::nullopt;
    } else if (line.compare(at, 4, "null") == 0) {
      value.isNull = true;
      at += 4;
    } else {
      char* end = nullptr;
      value.number = std::strtod(line.c_str() + at, &end);
      value.text = line.substr(at, static_cast<size_t>(end - line.c_str()) - at);
      at += value.text.size();
      if (value.text.empty() || value.text.find_first_not_of("-+.eE0123456789") != std::string::npos) return {};
    }
    if (!fields.emplace(name, value).second) return std::nullopt;
  } while (take(','));
  if (!take('}') || at != line.size()) return std::nullopt;
  return fields;
}

class BatchAtScale : public ::testing::Test {
 protected:
  BatchAtScale() {
    // At 1000 Hz: the note on at frame 0, the note off (the last event) at frame 500.
    input_ = folder_.write("in.mid",
                           midiFile(0, 96, {TrackBytes().event(0, {0x90, 60, 100}).event(96, {0x80, 60, 0}).end()}));
  }

  ToolRun render(const std::string& arguments) {
    return runTool(folder_, std::string("render --plugin ") + PROBE_PLUGIN_FILE + " " + arguments);
  }

  // A song line writing `output`, with a tail of its own so that files differ.
  std::string songLine(const std::string& output, int tailTenths) const {
    return input_ + " " + folder_.file(output) + " --rate 1000 --tail 0." + std::to_string(tailTenths) + "\n";
  }

  std::string writeList(const std::string& name, const std::string& text) const {
    return folder_.write(name, Bytes(text.begin(), text.end()));
  }

  // Every line of a log, each required to be a JSON object, keyed by list line.
  std::map<int64_t, JsonObject> readLog(const std::string& text) const {
    std::map<int64_t, JsonObject> records;
    for (const std::string& line : linesOf(text)) {
      const std::optional<JsonObject> record = jsonObject(line);
      EXPECT_TRUE(record) << "not a JSON object: " << line;
      if (record) records[static_cast<int64_t>(record->at("line").number)] = *record;
    }
    return records;
  }

  TestFolder folder_;
  std::string input_;
};

#ifndef _WIN32
TEST_F(BatchAtScale, AListFromAPipeRendersItsFirstSongBeforeTheProducerEnds) {
  // The producer writes one line, then waits (up to 30 s) for that song's
  // file before it writes the next and ends: a batch that read the whole
  // list first would leave it waiting.
  const std::string first = folder_.file("first.wav");
  const std::string producer =
      writeList("producer.sh", "printf '%s' '" + songLine("first.wav", 1) + "'\nfor i in $(seq 300); do [ -e " +
                                   first + " ] && echo seen >" + folder_.file("seen") + " && break; sleep 0.1; done\n" +
                                   "printf '%s' '" + songLine("second.wav", 2) + "'\n");
  const std::string command = "sh " + producer + " | ./" + QUORLIN_HOST_FILE + " render --quiet --plugin " +
                              PROBE_PLUGIN_FILE + " --batch -";
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_TRUE(folder_.exists("seen")) << "the first song was not written while the producer waited";
  EXPECT_TRUE(folder_.exists("second.wav"));
}

TEST_F(BatchAtScale, AStopRequestEndsABatchWhoseListKeepsItWaiting) {
  // The list is a named pipe whose writer (the script) gives one song and
  // then holds it open: SIGTERM once that song is written must end the batch
  // within a second, as an interruption ends any batch.
  const std::string list = folder_.file("list");
  const std::string script = writeList(
      "stop.sh", "mkfifo " + list + "\nexec 3<>" + list + "\nprintf '%s' '" + songLine("first.wav", 1) + "' >&3\n./" +
                     QUORLIN_HOST_FILE + " render --quiet --plugin " + PROBE_PLUGIN_FILE + " --batch " + list + " 2>" +
                     folder_.file("err") + " 3>&- &\ntool=$!\nuntil [ -e " + folder_.file("first.wav") +
                     " ]; do sleep 0.05; done\nkill -TERM $tool\nstart=$(date +%s%N)\nwait $tool\n" +
                     "echo $? $((($(date +%s%N) - start) / 1000000)) >" + folder_.file("result") + "\n");
  ASSERT_EQ(std::system(("sh " + script).c_str()), 0);
  const Bytes result = folder_.read("result");
  int status = 0, milliseconds = 0;
  ASSERT_EQ(std::sscanf(std::string(result.begin(), result.end()).c_str(), "%d %d", &status, &milliseconds), 2);
  EXPECT_EQ(status, 130);
  EXPECT_LT(milliseconds, 1000);
  const Bytes err = folder_.read("err");
  EXPECT_EQ(std::string(err.begin(), err.end()), "quorlin-host: interrupted after 1 songs; no unfinished file is left\n");
}
#endif

TEST_F(BatchAtScale, TheLogHasAWholeJsonObjectForEachFinishedLineMatchingItsSong) {
  const std::string list = writeList("list.txt", "# three songs, one missing\n" + songLine("a.wav", 1) +
                                                     folder_.file("absent.mid") + " " + folder_.file("b.wav") +
                                                     "\n\n" + songLine("c.wav", 3) + "\"unclosed\n");
  const std::string log = folder_.file("log.jsonl");
  const ToolRun run = render("--quiet --jobs 2 --batch " + list + " --log " + log);
  EXPECT_EQ(run.exitStatus, 4) << run.err;
  const Bytes logBytes = folder_.read("log.jsonl");
  std::map<int64_t, JsonObject> records = readLog(std::string(logBytes.begin(), logBytes.end()));
  ASSERT_EQ(records.size(), 4u);

  for (const auto& [line, output] : {std::pair<int64_t, std::string>{2, "a.wav"}, {5, "c.wav"}}) {
    const JsonObject& record = records[line];
    EXPECT_EQ(record.size(), 10u);
    const Bytes wav = folder_.read(output);
    const std::vector<float> samples = floatSamples(wav);
    float peak = 0.0f;
    for (float sample : samples) peak = std::max(peak, std::fabs(sample));
    const auto over = std::count_if(samples.begin(), samples.end(), [](float s) { return std::fabs(s) > 1.0f; });
    const double frames = littleEndianAt(wav, 46, 4);
    EXPECT_EQ(record.at("status").text, "done");
    EXPECT_EQ(record.at("input").text, input_);
    EXPECT_EQ(record.at("output").text, folder_.file(output));
    EXPECT_EQ(record.at("frames").number, frames);
    EXPECT_EQ(record.at("audioSeconds").number, frames / 1000.0);  // exact: nine digits hold it
    // Within the nine significant digits the log gives.
    EXPECT_NEAR(record.at("peakDbfs").number, 20.0 * std::log10(static_cast<double>(peak)), 1e-6);
    EXPECT_EQ(record.at("samplesOverFullScale").number, static_cast<double>(over));
    EXPECT_TRUE(record.at("reason").isNull);
  }
  const std::vector<std::string> errors = linesOf(run.err);
  ASSERT_EQ(errors.size(), 2u) << run.err;
  for (const auto& [line, hasFiles] : {std::pair<int64_t, bool>{3, true}, {6, false}}) {
    const JsonObject& record = records[line];
    EXPECT_EQ(record.at("status").text, "failed");
    EXPECT_EQ(record.at("input").isNull, !hasFiles) << line;
    EXPECT_TRUE(record.at("frames").isNull);
    const std::string message = "quorlin-host: " + list + ":" + std::to_string(line) + ": " + record.at("reason").text;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), message), 1) << message;
  }

  // No earlier log is lost, nor a file the batch reads; a log on standard output is all it holds.
  for (const std::string& taken : {log, list}) {
    const Bytes before = folder_.read(std::filesystem::path(taken).filename().string());
    const ToolRun refused = render("--quiet --batch " + list + " --log " + taken);
    EXPECT_EQ(refused.exitStatus, 2) << refused.err;
    EXPECT_NE(refused.err.find(taken + ": exists already"), std::string::npos) << refused.err;
    EXPECT_EQ(folder_.read(std::filesystem::path(taken).filename().string()), before);
  }
  const ToolRun toOutput = render("--batch " + list + " --log -");
  EXPECT_EQ(readLog(toOutput.out).size(), 4u) << toOutput.out;
  EXPECT_NE(toOutput.err.find("batch: 2 songs done, 2 failed"), std::string::npos) << toOutput.err;
}

TEST_F(BatchAtScale, ShardsAndParallelPipeJobsTogetherWriteTheWholeBatch) {
  std::string text = "# shards count this line and the blank one\n\n";
  std::vector<std::string> outputs;
  for (int song = 0; song < 10; ++song) {
    outputs.push_back("song" + std::to_string(song) + ".wav");
    text += songLine(outputs.back(), song);
  }
  const std::string list = writeList("list.txt", text);
  const auto takeOutputs = [&] {
    std::map<std::string, Bytes> written;
    for (const std::string& output : outputs) {
      if (folder_.exists(output)) written[output] = folder_.read(output);
      std::filesystem::remove(folder_.file(output));
    }
    return written;
  };
  ASSERT_EQ(render("--quiet --batch " + list).exitStatus, 0);
  const std::map<std::string, Bytes> whole = takeOutputs();
  ASSERT_EQ(whole.size(), outputs.size());

  std::set<int64_t> linesSeen;
  for (const char* shard : {"0/3", "1/3", "2/3"}) {
    const ToolRun run = render(std::string("--batch ") + list + " --shard " + shard + " --log -");
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    for (const auto& [line, record] : readLog(run.out)) {
      EXPECT_EQ(line % 3, shard[0] - '0') << shard;
      EXPECT_TRUE(linesSeen.insert(line).second) << "line " << line << " rendered twice";
    }
  }
  EXPECT_EQ(linesSeen.size(), outputs.size());
  EXPECT_EQ(takeOutputs(), whole);

#ifndef _WIN32
  // Blocks of about four lines, so that several processes take a part each.
  ASSERT_EQ(std::system("parallel --will-cite --version >/dev/null 2>&1"), 0)
      << "GNU parallel is missing (scripts/install-deps.sh build)";
  const std::string command = std::string("parallel --will-cite --pipe --block 1k -j 2 ./") + QUORLIN_HOST_FILE +
                              " render --quiet --plugin " + PROBE_PLUGIN_FILE + " --batch - --log " +
                              folder_.file("part{#}.jsonl") + " <" + list;
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(takeOutputs(), whole);
  EXPECT_TRUE(folder_.exists("part2.jsonl")) << "one process took the whole list";
#endif
}

}  // namespace
