// What quorlin-host promises about files: an output it cannot accept is
// refused before anything is rendered (one line, exit 2); the WAV file is
// written under a temporary name of its own beside OUT and takes OUT's name
// only when complete; and however a render ends early, no unfinished file is
// left and an existing OUT is as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "midi_bytes.h"
#include "test_folder.h"
#include "tool_process.h"

namespace {

const Bytes kKeep = {'k', 'e', 'e', 'p'};

class FileSafety : public ::testing::Test {
 protected:
  FileSafety() {
    // Half a second of song at 1000 Hz; with the default tail 150 blocks of 10 frames.
    input_ = folder_.write("in.mid",
                           midiFile(0, 96, {TrackBytes().event(0, {0x90, 60, 100}).event(96, {0x80, 60, 0}).end()}));
    setEnvironment("QUORLIN_PROBE_LOG", folder_.file("probe.log"));
  }
  ~FileSafety() override {
    for (const char* name : {"QUORLIN_PROBE_LOG", "QUORLIN_PROBE_RAISE", "QUORLIN_PROBE_BLOCK_MILLISECONDS"}) {
      setEnvironment(name, "");
    }
  }

  ToolRun render(const std::string& output, const std::string& options = "", const std::string& capture = "tool") {
    return runTool(folder_,
                   std::string("render --quiet --plugin ") + PROBE_PLUGIN_FILE + " --rate 1000 --block 10 " + options +
                       " " + input_ + " " + output,
                   capture);
  }

  // The status, and one line on standard error holding `message`.
  static void expectOneLine(const ToolRun& run, int status, const std::string& message) {
    EXPECT_EQ(run.exitStatus, status) << run.err;
    const std::vector<std::string> lines = linesOf(run.err);
    ASSERT_EQ(lines.size(), 1u) << run.err;
    EXPECT_NE(lines[0].find(message), std::string::npos) << lines[0];
  }

  std::vector<std::string> files() const {
    std::vector<std::string> names = folder_.names();
    std::sort(names.begin(), names.end());
    return names;
  }

  bool anythingRendered() const {
    const Bytes log = folder_.read("probe.log");
    return std::string(log.begin(), log.end()).find("process") != std::string::npos;
  }

  TestFolder folder_;
  std::string input_;
};

TEST_F(FileSafety, OutputThatIsTheInputIsRefusedWhateverItsSpelling) {
  const Bytes song = folder_.read("in.mid");
  std::filesystem::create_hard_link(input_, folder_.file("alias.mid"));
  for (const std::string& output :
       {input_, "./" + input_, std::filesystem::absolute(input_).string(), folder_.file("alias.mid")}) {
    expectOneLine(render(output), 2, "is the same file as " + input_ + ", which this render reads");
    EXPECT_EQ(folder_.read("in.mid"), song) << output;
  }
  EXPECT_FALSE(anythingRendered());
  EXPECT_EQ(files(), (std::vector<std::string>{"alias.mid", "in.mid"}));
}

TEST_F(FileSafety, FolderOrMissingFolderIsRefusedBeforeRendering) {
  std::filesystem::create_directory(folder_.file("songs"));
  expectOneLine(render(folder_.file("songs")), 2, folder_.file("songs") + ": is a folder, not a file to write");
  expectOneLine(render(folder_.file("missing/out.wav")), 2,
                folder_.file("missing/out.wav") + ": cannot create a file in its folder");
  EXPECT_FALSE(anythingRendered());
  EXPECT_TRUE(std::filesystem::is_empty(folder_.file("songs")));
}

TEST_F(FileSafety, TwoRendersToOneOutputEachWriteAFileOfTheirOwn) {
  ASSERT_EQ(render(folder_.file("short.wav"), "--tail 0.5").exitStatus, 0);
  ASSERT_EQ(render(folder_.file("long.wav"), "--tail 1").exitStatus, 0);
  setEnvironment("QUORLIN_PROBE_BLOCK_MILLISECONDS", "2");  // so that the two surely overlap
  ToolRun first, second;
  std::thread other([&] { second = render(folder_.file("out.wav"), "--tail 1", "second"); });
  first = render(folder_.file("out.wav"), "--tail 0.5", "first");
  other.join();
  EXPECT_EQ(first.exitStatus, 0) << first.err;
  EXPECT_EQ(second.exitStatus, 0) << second.err;
  const Bytes out = folder_.read("out.wav");
  EXPECT_TRUE(out == folder_.read("short.wav") || out == folder_.read("long.wav")) << "OUT is a mix of both";
  EXPECT_EQ(files(), (std::vector<std::string>{"in.mid", "long.wav", "out.wav", "probe.log", "short.wav"}));
}

TEST_F(FileSafety, EveryStopRequestRemovesTheUnfinishedFileAndKeepsOut) {
  std::vector<int> signals = {SIGINT, SIGTERM};
#ifndef _WIN32
  signals.insert(signals.end(), {SIGHUP, SIGPIPE});
#endif
  folder_.write("out.wav", kKeep);
  for (int signal : signals) {
    setEnvironment("QUORLIN_PROBE_RAISE", "3 " + std::to_string(signal));
    expectOneLine(render(folder_.file("out.wav")), 130, "interrupted; " + folder_.file("out.wav") + " not written");
    EXPECT_EQ(folder_.read("out.wav"), kKeep) << "signal " << signal;
    EXPECT_EQ(files(), (std::vector<std::string>{"in.mid", "out.wav", "probe.log"})) << "signal " << signal;
  }
}

TEST_F(FileSafety, ASecondStopRequestEndsAtOnceAndStillRemovesTheUnfinishedFile) {
  folder_.write("out.wav", kKeep);
  setEnvironment("QUORLIN_PROBE_RAISE", "3 " + std::to_string(SIGTERM) + " " + std::to_string(SIGTERM));
  const ToolRun run = render(folder_.file("out.wav"));
#ifdef _WIN32
  EXPECT_EQ(run.exitStatus, 3) << "the C library ends a program on SIGTERM with status 3";
#else
  EXPECT_EQ(run.exitStatus, 128 + SIGTERM);
#endif
  EXPECT_EQ(folder_.read("out.wav"), kKeep);
  EXPECT_EQ(files(), (std::vector<std::string>{"in.mid", "out.wav", "probe.log"}));
}

#ifndef _WIN32
TEST_F(FileSafety, LinkWhereTheTemporaryFileUsedToBeIsNeverWrittenThrough) {
  folder_.write("victim.txt", kKeep);
  std::filesystem::create_symlink("victim.txt", folder_.file("out.wav.part"));
  ASSERT_EQ(render(folder_.file("out.wav")).exitStatus, 0);
  EXPECT_EQ(folder_.read("victim.txt"), kKeep);
  EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(folder_.file("out.wav"))));
}

TEST_F(FileSafety, AFileSizeLimitIsAWriteErrorThatLeavesNothingBehind) {
  folder_.write("out.wav", kKeep);
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
  rlimit lowered = limit;
  lowered.rlim_cur = 50000;  // bytes; ten seconds of tail make 84 KB
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &lowered), 0);
  const ToolRun run = render(folder_.file("out.wav"), "--tail 10");
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  expectOneLine(run, 1, folder_.file("out.wav") + ": cannot write: File too large");
  EXPECT_EQ(folder_.read("out.wav"), kKeep);
  EXPECT_EQ(files(), (std::vector<std::string>{"in.mid", "out.wav", "probe.log"}));
}
#endif

}  // namespace
