// A batch's result log (--log): one JSON object a line for each line of the
// list that is finished, written whole and flushed as its song ends, so that
// a driver can follow it while the batch runs and, after a crash or a kill,
// tell which songs are done from it alone.
//
// {"line": 3, "status": "done", "input": "a.mid", "output": "a.wav",
//  "frames": 88200, "audioSeconds": 2, "peakDbfs": -3.1, "samplesOverFullScale": 0,
//  "renderSeconds": 0.0021, "reason": null}
//
// all on one line. A failed line has "status": "failed", its one-line reason,
// and null for what it did not get to (input and output too when the line
// could not be read as a song); the peak of silence is null as well.
#pragma once

#include <cstdint>
#include <string>

#include "tools/commands/render_options.h"
#include "tools/commands/song_render.h"
#include "tools/system/log_file.h"

class BatchLog {
 public:
  // Creates LOG, which must not exist yet ("-": standard output). Throws
  // ToolError (kExitBadInput).
  explicit BatchLog(const std::string& path) : file_(path) {}

  // Not for two threads at once. Throw ToolError (kExitCannotWrite).
  void songDone(int64_t lineNumber, const SongSettings& song, const SongResult& result);
  // `song` is null when the line could not be read as a song.
  void songFailed(int64_t lineNumber, const SongSettings* song, const std::string& reason);

  bool toStandardOutput() const { return file_.isStandardOutput(); }

 private:
  LogFile file_;
};
