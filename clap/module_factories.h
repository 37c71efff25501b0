// The module's factories by id, as clap_entry's get_factory hands them out:
// the plug-in factory of the one plug-in, and the preset discovery of its
// factory sounds (under its released id and the draft's).
#pragma once

/// Null for an id the module has no factory for.
const void* moduleFactory(const char* id);
