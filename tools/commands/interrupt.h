// Requests to stop during a long job: Ctrl-C (SIGINT), a termination request
// (SIGTERM), the terminal closing (SIGHUP) and the reader of our output going
// away (SIGPIPE). After catchInterrupts() the first such request only raises
// a flag, so that every job stops at a safe point and cleans up (a render
// closes its plug-in and removes its unfinished file); a second request
// removes the unfinished files at once and ends the process the default way.
//
// A file size limit (SIGXFSZ) is turned into an ordinary write error, which
// the writers report and clean up after like a full disk.
#pragma once

void catchInterrupts();
bool interruptRequested();
