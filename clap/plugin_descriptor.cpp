#include "clap/plugin_descriptor.h"

namespace {

const char* const kFeatures[] = {CLAP_PLUGIN_FEATURE_INSTRUMENT, CLAP_PLUGIN_FEATURE_SYNTHESIZER,
                                 CLAP_PLUGIN_FEATURE_STEREO, nullptr};

}  // namespace

const clap_plugin_descriptor_t kPluginDescriptor = {
    CLAP_VERSION,
    kPluginId,
    "Quorlin",
    "Quorlin",
    "",
    "",
    "",
    QUORLIN_VERSION,
    "A small polyphonic synthesizer: eight voices of square, sawtooth or triangle through a resonant low-pass "
    "filter and an envelope",
    kFeatures,
};
