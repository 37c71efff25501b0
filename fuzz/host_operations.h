// Plays a byte stream as a sequence of host operations on one live instance
// and checks, after every operation, what a host is entitled to rely on:
//
// - every output sample of processReplacing is finite, process writes silence,
//   and neither writes a sample past the block it was given;
// - getParameter returns, bit for bit, the last value the host stored for
//   indices 0..7 of the current program, and 0 for any other index;
// - effGetProgram names the program the host selected last, and
//   effGetProgramName gives back the name the host set, cut to fit the
//   24-byte buffer with its terminator;
// - no text the plug-in writes runs past the buffer the host gave;
// - a chunk the plug-in hands out is taken back whole and changes nothing; a
//   blob it refuses (arbitrary bytes, or its own chunk damaged) changes
//   nothing either; a blob it takes holds only finite values and, handed out
//   again, is taken again without a change.
//
// Crashes and undefined behaviour are left to the sanitizers the caller is
// built with. The fuzzer and the regression tests share this, so an input
// that once failed replays exactly as the fuzzer saw it.
//
// Stream layout: operations follow each other until the bytes run out; each
// starts with one selector byte (taken modulo the number of operations) and
// reads its operands from the bytes after it. Reading past the end yields
// zeros, so every byte string is a valid program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "vst2/interface/vst2_abi.h"

enum class HostOperation : uint8_t {
  dispatch = 0,      // opcode, index, value, text or buffer, opt
  setParameter,      // index, value
  getParameter,      // index; outside 0..7 it must read 0
  sendEvents,        // an event list of any shape through effProcessEvents
  renderReplacing,   // processReplacing with 0..4096 frames
  renderAccumulating,  // process with 0..4096 frames
  checkState,        // parameters, program number and name against the model
  chunkRoundTrip,    // a bank or program chunk taken, perhaps damaged, and handed back
  count
};

/// Drives the instance with the operations the bytes encode, leaving it open.
/// Returns an empty string when every check held, otherwise the first broken
/// promise, with the number of the operation that broke it.
std::string runHostOperations(AEffect* effect, const uint8_t* data, size_t size);

/// A host callback that answers like a VST 2.4 host: 2400 to
/// audioMasterVersion, 0 to everything else.
VstIntPtr VSTCALLBACK quietHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt);
