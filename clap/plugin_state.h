// The plug-in's state as the host saves it with its session: the eight
// parameter values, which are the whole sound.
//
// Layout, every number little-endian on every machine, 40 bytes in all:
//
//   offset  size  field
//        0     4  magic "QrlS"
//        4     4  format version, 1
//        8    32  8 float32 parameter values, by parameter index
//
// A value that is not a finite number (a host may send one) is written as
// the finite value it sounds as, so every state handed out is taken back. A
// reader takes a state only when all of it fits: the magic, the version,
// finite values and nothing after them. A foreign, short or damaged one is
// refused whole. A later format keeps the magic and raises the version.
#pragma once

#include "clap/interface/clap_abi.h"
#include "clap/parameter_values.h"

/// Writes the whole state; false when the stream took less.
bool writeState(const clap_ostream_t& stream, const ParameterSet& values);
/// Reads a whole state into `values`, which it touches only when the state is sound.
bool readState(const clap_istream_t& stream, ParameterSet& values);
