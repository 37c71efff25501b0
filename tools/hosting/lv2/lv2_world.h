// The LV2 plug-ins and presets of this machine, read through lilv once per
// process: the bundles on LV2_PATH, or on the default LV2 path, and any
// bundle named on the command line.
//
// lilv's world is not safe to use from two threads at once, so every call
// into it (and into the objects it hands out) holds the interface thread
// (interface_thread.h).
#pragma once

#include <lilv/lilv.h>

#include <string>
#include <vector>

// The URIs the host asks the world about, as lilv nodes.
struct Lv2Vocabulary {
  LilvNode* audioPort;
  LilvNode* controlPort;
  LilvNode* cvPort;
  LilvNode* atomPort;
  LilvNode* inputPort;
  LilvNode* outputPort;
  LilvNode* midiEvent;
  LilvNode* connectionOptional;
  LilvNode* designation;
  LilvNode* controlDesignation;
  LilvNode* minimumSize;
  LilvNode* preset;
  LilvNode* label;
  LilvNode* seeAlso;
  LilvNode* x11Ui;
  LilvNode* loadDefaultState;
  LilvNode* requiredFeature;
};

class Lv2World {
 public:
  // The one world, loaded on first use; the caller holds the interface thread.
  static Lv2World& instance();

  LilvWorld* world() const { return world_; }
  const Lv2Vocabulary& uris() const { return uris_; }

  // The plug-ins `name` names: those of a bundle folder (loaded when it is
  // not on the LV2 path), or the one of a URI. Throws ToolError
  // (kExitBadModule) with one line saying what is wrong: no such bundle or
  // URI, Turtle that does not parse (lilv's own words), a bundle of none.
  std::vector<const LilvPlugin*> findPlugins(const std::string& name);
  // Loads a bundle folder the host is given (a plug-in's or a preset's) and
  // returns its URI, which the caller frees. Throws ToolError (with
  // `status`) when its Turtle does not parse.
  LilvNode* loadBundle(const std::string& folder, int status);

 private:
  Lv2World();

  LilvWorld* world_;
  Lv2Vocabulary uris_;
};

// Of what lilv and serd printed, the line that says what went wrong.
std::string firstError(const std::string& messages);
// A lilv node's text, or "" for none.
std::string nodeText(const LilvNode* node);
// A file: URI's path, or "" for another URI.
std::string nodePath(const LilvNode* node);
