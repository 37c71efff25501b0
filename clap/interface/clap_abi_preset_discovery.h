// CLAP preset discovery, declared from the published CLAP 1.2 numbers and
// names: how a host lists a module's presets without creating a plug-in.
//
// The host asks clap_entry.get_factory for the factory, creates a provider
// with its own indexer, and calls the provider's init, which declares file
// types, locations and sound packs to the indexer. The host then asks the
// provider for each location's metadata, which the provider sends to a
// receiver; a preset found so is loaded later through clap.preset-load with
// the same location and load key. None of this is interactive or realtime,
// and only the factory's functions must be thread-safe.
#pragma once

#include <cstdint>

#include "clap/interface/clap_abi.h"

// The released id, and the draft's, which older hosts still ask for. (The
// draft suffix is "/draft-2" here but ".draft/2" on preset-load's id.)
constexpr char CLAP_PRESET_DISCOVERY_FACTORY_ID[] = "clap.preset-discovery-factory/2";
constexpr char CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT[] = "clap.preset-discovery-factory/draft-2";

typedef uint64_t clap_timestamp;  // seconds since 1970, UTC
constexpr clap_timestamp CLAP_TIMESTAMP_UNKNOWN = 0;

// A plug-in of any format: abi is "clap", "vst2", "vst3", ...; id is the
// plug-in's id in that format (a VST 2 id printed as a signed 32-bit number).
typedef struct clap_universal_plugin_id {
  const char* abi;
  const char* id;
} clap_universal_plugin_id_t;

enum : uint32_t {
  CLAP_PRESET_DISCOVERY_LOCATION_FILE = 0,    // a path: a file or a folder to crawl
  CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN = 1,  // inside the module; the location is null
};

enum : uint32_t {
  CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT = 1 << 0,
  CLAP_PRESET_DISCOVERY_IS_USER_CONTENT = 1 << 1,
  CLAP_PRESET_DISCOVERY_IS_DEMO_CONTENT = 1 << 2,
  CLAP_PRESET_DISCOVERY_IS_FAVORITE = 1 << 3,
};

// The host's receiver of one location's presets. begin_preset starts each
// preset (name and load key are mandatory for a container of several, such
// as a plug-in location); the calls after it describe that preset. A false
// answer from begin_preset means stop sending.
typedef struct clap_preset_discovery_metadata_receiver {
  void* receiver_data;
  void(CLAP_ABI* on_error)(const struct clap_preset_discovery_metadata_receiver* receiver, int32_t os_error,
                           const char* error_message);
  bool(CLAP_ABI* begin_preset)(const struct clap_preset_discovery_metadata_receiver* receiver, const char* name,
                               const char* load_key);
  void(CLAP_ABI* add_plugin_id)(const struct clap_preset_discovery_metadata_receiver* receiver,
                                const clap_universal_plugin_id_t* plugin_id);
  void(CLAP_ABI* set_soundpack_id)(const struct clap_preset_discovery_metadata_receiver* receiver,
                                   const char* soundpack_id);
  void(CLAP_ABI* set_flags)(const struct clap_preset_discovery_metadata_receiver* receiver, uint32_t flags);
  void(CLAP_ABI* add_creator)(const struct clap_preset_discovery_metadata_receiver* receiver, const char* creator);
  void(CLAP_ABI* set_description)(const struct clap_preset_discovery_metadata_receiver* receiver,
                                  const char* description);
  void(CLAP_ABI* set_timestamps)(const struct clap_preset_discovery_metadata_receiver* receiver,
                                 clap_timestamp creation_time, clap_timestamp modification_time);
  void(CLAP_ABI* add_feature)(const struct clap_preset_discovery_metadata_receiver* receiver, const char* feature);
  void(CLAP_ABI* add_extra_info)(const struct clap_preset_discovery_metadata_receiver* receiver, const char* key,
                                 const char* value);
} clap_preset_discovery_metadata_receiver_t;

typedef struct clap_preset_discovery_filetype {
  const char* name;
  const char* description;     // may be null
  const char* file_extension;  // without the dot; empty or null matches every file
} clap_preset_discovery_filetype_t;

typedef struct clap_preset_discovery_location {
  uint32_t flags;  // CLAP_PRESET_DISCOVERY_IS_ bits
  const char* name;
  uint32_t kind;  // CLAP_PRESET_DISCOVERY_LOCATION_
  const char* location;
} clap_preset_discovery_location_t;

typedef struct clap_preset_discovery_soundpack {
  uint32_t flags;
  const char* id;
  const char* name;
  const char* description;
  const char* homepage_url;
  const char* vendor;
  const char* image_path;
  clap_timestamp release_timestamp;
} clap_preset_discovery_soundpack_t;

typedef struct clap_preset_discovery_provider_descriptor {
  clap_version_t clap_version;
  const char* id;
  const char* name;
  const char* vendor;  // may be null
} clap_preset_discovery_provider_descriptor_t;

// A provider calls its indexer only from init on (never from the factory's
// create) and is released with destroy.
typedef struct clap_preset_discovery_provider {
  const clap_preset_discovery_provider_descriptor_t* desc;
  void* provider_data;
  bool(CLAP_ABI* init)(const struct clap_preset_discovery_provider* provider);
  void(CLAP_ABI* destroy)(const struct clap_preset_discovery_provider* provider);
  bool(CLAP_ABI* get_metadata)(const struct clap_preset_discovery_provider* provider, uint32_t location_kind,
                               const char* location,
                               const clap_preset_discovery_metadata_receiver_t* metadata_receiver);
  const void*(CLAP_ABI* get_extension)(const struct clap_preset_discovery_provider* provider,
                                       const char* extension_id);
} clap_preset_discovery_provider_t;

// The host's side; the declare functions answer false for an invalid entry.
typedef struct clap_preset_discovery_indexer {
  clap_version_t clap_version;
  const char* name;
  const char* vendor;
  const char* url;
  const char* version;
  void* indexer_data;
  bool(CLAP_ABI* declare_filetype)(const struct clap_preset_discovery_indexer* indexer,
                                   const clap_preset_discovery_filetype_t* filetype);
  bool(CLAP_ABI* declare_location)(const struct clap_preset_discovery_indexer* indexer,
                                   const clap_preset_discovery_location_t* location);
  bool(CLAP_ABI* declare_soundpack)(const struct clap_preset_discovery_indexer* indexer,
                                    const clap_preset_discovery_soundpack_t* soundpack);
  const void*(CLAP_ABI* get_extension)(const struct clap_preset_discovery_indexer* indexer,
                                       const char* extension_id);
} clap_preset_discovery_indexer_t;

typedef struct clap_preset_discovery_factory {
  uint32_t(CLAP_ABI* count)(const struct clap_preset_discovery_factory* factory);
  const clap_preset_discovery_provider_descriptor_t*(CLAP_ABI* get_descriptor)(
      const struct clap_preset_discovery_factory* factory, uint32_t index);
  const clap_preset_discovery_provider_t*(CLAP_ABI* create)(const struct clap_preset_discovery_factory* factory,
                                                            const clap_preset_discovery_indexer_t* indexer,
                                                            const char* provider_id);
} clap_preset_discovery_factory_t;
