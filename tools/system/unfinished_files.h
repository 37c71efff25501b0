// The files being written that are not finished yet, listed so that a signal
// that ends the process at once can still remove them.
//
// A job removes its own unfinished file when it stops in an orderly way; this
// list is for the cases where it cannot: a second Ctrl-C, or the console
// closing on Windows. The handler that calls removeUnfinishedFiles() may run
// on any thread while jobs add and drop their files, so each entry is claimed
// through an atomic state and its path is read only while the entry is held.
#pragma once

#include <string>

// Lists `path` and returns its entry for forgetUnfinishedFile(), or -1 when the
// list is full or the path too long; such a file is then only removed in the
// orderly way.
int listUnfinishedFile(const std::string& path);

// Drops the entry once the file is gone or has its final name.
void forgetUnfinishedFile(int entry);

// Removes every listed file. Safe in a signal handler: no allocation, no lock.
void removeUnfinishedFiles();
