// Writes the bundle's Turtle from the instrument's tables, so that what it
// tells hosts cannot drift from the code: manifest.ttl, quorlin.ttl (the
// plug-in, its ports and its editor) and presets.ttl (the factory sounds).
//
// Usage: quorlin_lv2_turtle BUNDLE_FOLDER PLUGIN_BINARY UI_BINARY
#include <cstdio>
#include <string>

#include "engine/factory_sounds.h"
#include "engine/parameter_table.h"
#include "lv2/bundle_layout.h"
#include "lv2/turtle_text.h"

namespace {

const char* const kPrefixes =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix midi: <http://lv2plug.in/ns/ext/midi#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

std::string uri(const std::string& text) { return "<" + text + ">"; }
std::string presetUri(const FactorySound& sound) { return uri(std::string(kPresetUriPrefix) + sound.slug); }

std::string manifest(const std::string& pluginBinary, const std::string& uiBinary) {
  std::string text = kPrefixes;
  text += uri(kInstrumentUri) + "\n\ta lv2:Plugin ;\n\tlv2:binary " + uri(pluginBinary) +
          " ;\n\trdfs:seeAlso <quorlin.ttl> .\n\n";
  text += uri(kEditorUri) + "\n\ta ui:X11UI ;\n\tui:binary " + uri(uiBinary) + " ;\n\trdfs:seeAlso <quorlin.ttl> .\n";
  for (const FactorySound& sound : kFactorySounds) {
    text += "\n" + presetUri(sound) + "\n\ta pset:Preset ;\n\tlv2:appliesTo " + uri(kInstrumentUri) +
            " ;\n\trdfs:seeAlso <presets.ttl> .\n";
  }
  return text;
}

std::string controlPort(int parameter) {
  const ParameterDescription& description = kParameters[parameter];
  std::string text = "[\n\t\ta lv2:InputPort , lv2:ControlPort ;\n";
  text += "\t\tlv2:index " + std::to_string(controlPortOf(parameter)) + " ;\n";
  text += "\t\tlv2:symbol " + turtleString(description.symbol) + " ;\n";
  text += "\t\tlv2:name " + turtleString(description.name) + " ;\n";
  text += "\t\trdfs:comment " + turtleString(description.comment) + " ;\n";
  text += "\t\tlv2:default " + turtleNumber(description.defaultValue) + " ;\n";
  text += "\t\tlv2:minimum " + turtleNumber(kParameterMinimum) + " ;\n";
  text += "\t\tlv2:maximum " + turtleNumber(kParameterMaximum);
  if (description.unit == ParameterUnit::seconds) text += " ;\n\t\tunits:unit units:s";
  if (parameter == waveform) {
    for (const WaveformShape& shape : kWaveformShapes) {
      text += std::string(&shape == kWaveformShapes ? " ;\n\t\tlv2:scalePoint " : " , ") + "[\n\t\t\trdfs:label " +
              turtleString(shape.name) + " ;\n\t\t\trdf:value " + turtleNumber(shape.value) + "\n\t\t]";
    }
  }
  return text + "\n\t]";
}

std::string instrument() {
  std::string text = kPrefixes;
  text += uri(kInstrumentUri) + "\n\ta lv2:Plugin , lv2:InstrumentPlugin ;\n";
  text += "\tdoap:name \"Quorlin\" ;\n";
  text += "\trdfs:comment \"A small polyphonic synthesizer: eight voices of square, sawtooth or triangle through a "
          "resonant low-pass filter and a linear envelope.\" ;\n";
  text += "\tlv2:minorVersion " + std::to_string(QUORLIN_LV2_MINOR_VERSION) + " ;\n";
  text += "\tlv2:microVersion " + std::to_string(QUORLIN_LV2_MICRO_VERSION) + " ;\n";
  text += "\tlv2:requiredFeature urid:map ;\n\tlv2:optionalFeature lv2:hardRTCapable ;\n";
  text += "\tui:ui " + uri(kEditorUri) + " ;\n";
  text += "\tlv2:port [\n\t\ta lv2:InputPort , atom:AtomPort ;\n\t\tatom:bufferType atom:Sequence ;\n"
          "\t\tatom:supports midi:MidiEvent ;\n\t\tlv2:designation lv2:control ;\n\t\tlv2:index " +
          std::to_string(kMidiInPort) + " ;\n\t\tlv2:symbol \"midi_in\" ;\n\t\tlv2:name \"MIDI In\"\n\t] , [\n";
  text += "\t\ta lv2:OutputPort , lv2:AudioPort ;\n\t\tlv2:index " + std::to_string(kLeftOutPort) +
          " ;\n\t\tlv2:symbol \"out_left\" ;\n\t\tlv2:name \"Left\"\n\t] , [\n";
  text += "\t\ta lv2:OutputPort , lv2:AudioPort ;\n\t\tlv2:index " + std::to_string(kRightOutPort) +
          " ;\n\t\tlv2:symbol \"out_right\" ;\n\t\tlv2:name \"Right\"\n\t]";
  for (int parameter = 0; parameter < kParameterCount; ++parameter) text += " , " + controlPort(parameter);
  text += " .\n\n";

  // The editor reads its X events when the host calls idle, so it needs the
  // idle interface; it embeds into a parent or shows a window of its own.
  text += uri(kEditorUri) + "\n\ta ui:X11UI ;\n";
  text += "\tlv2:requiredFeature ui:idleInterface ;\n\tlv2:optionalFeature ui:parent , ui:resize ;\n";
  text += "\tlv2:extensionData ui:idleInterface , ui:showInterface .\n";
  return text;
}

std::string presets() {
  std::string text = kPrefixes;
  for (const FactorySound& sound : kFactorySounds) {
    text += presetUri(sound) + "\n\ta pset:Preset ;\n\tlv2:appliesTo " + uri(kInstrumentUri) + " ;\n";
    text += "\trdfs:label " + turtleString(sound.name) + " ;\n\tlv2:port ";
    for (int parameter = 0; parameter < kParameterCount; ++parameter) {
      text += std::string(parameter ? " , " : "") + "[\n\t\tlv2:symbol " + turtleString(kParameters[parameter].symbol) +
              " ;\n\t\tpset:value " + turtleNumber(sound.values[parameter]) + "\n\t]";
    }
    text += " .\n\n";
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: quorlin_lv2_turtle BUNDLE_FOLDER PLUGIN_BINARY UI_BINARY\n");
    return 2;
  }
  const std::string folder = argv[1];
  const struct {
    const char* name;
    std::string text;
  } files[] = {{"manifest.ttl", manifest(argv[2], argv[3])}, {"quorlin.ttl", instrument()}, {"presets.ttl", presets()}};
  for (const auto& file : files) {
    if (!writeWholeFile(folder + "/" + file.name, file.text)) {
      std::fprintf(stderr, "quorlin_lv2_turtle: cannot write %s/%s\n", folder.c_str(), file.name);
      return 1;
    }
  }
  return 0;
}
