#include "lv2/turtle_writer.h"

#include <charconv>
#include <cstdio>

#include "lv2/lv2_ports.h"
#include "params/parameter_model.h"
#include "params/parameter_table.h"
#include "params/value_texts.h"

namespace gw::lv2 {
namespace {

constexpr const char* kPrefixes =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix log: <http://lv2plug.in/ns/ext/log#> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix midi: <http://lv2plug.in/ns/ext/midi#> .\n"
    "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

// The LV2 unit of a row, or null where LV2 has none (gains, pan, fader curve).
const char* unitUri(ParameterUnit unit) {
  switch (unit) {
    case ParameterUnit::Percent:
      return "units:pc";
    case ParameterUnit::Seconds:
      return "units:s";
    case ParameterUnit::Hertz:
      return "units:hz";
    case ParameterUnit::Cents:
      return "units:cent";
    case ParameterUnit::RelativeSemitones:
      return "units:semitone12TET";
    case ParameterUnit::Decibels:
      return "units:db";
    case ParameterUnit::Bpm:
      return "units:bpm";
    case ParameterUnit::Beats:
      return "units:beat";
    case ParameterUnit::Milliseconds:
      return "units:ms";
    default:
      return nullptr;
  }
}

void writeScalePoint(std::ostream& out, float value, const char* label) {
  out << "\t\tlv2:scalePoint [ rdfs:label " << turtleString(label) << " ; rdf:value "
      << turtleNumber(value) << " ] ;\n";
}

void writeControlPort(std::ostream& out, int index) {
  const ParameterInfo& row = kParameterTable[index];
  // Inert rows have a single-point range in the table; hosts draw a 0..1 slider better
  // than an empty one, and never show these rows anyway.
  const bool inert = isInert(index);
  const float maximum = inert ? 1.0f : row.maximum;
  out << "\t[\n\t\ta lv2:InputPort , lv2:ControlPort ;\n"
      << "\t\tlv2:index " << index << " ;\n"
      << "\t\tlv2:symbol \"" << parameterSymbol(index) << "\" ;\n"
      << "\t\tlv2:name " << turtleString(row.name) << " ;\n"
      << "\t\tlv2:default " << turtleNumber(row.defaultValue) << " ;\n"
      << "\t\tlv2:minimum " << turtleNumber(row.minimum) << " ;\n"
      << "\t\tlv2:maximum " << turtleNumber(maximum) << " ;\n";
  if (const char* unit = unitUri(row.unit)) out << "\t\tunits:unit " << unit << " ;\n";
  const auto names = valueNameTexts(index);
  if (inert) out << "\t\tlv2:portProperty pprops:notOnGUI , pprops:notAutomatic ;\n";
  if (isStepped(index)) {
    out << "\t\tlv2:portProperty lv2:integer" << (names.empty() ? "" : " , lv2:enumeration")
        << " ;\n";
  }
  if (row.unit == ParameterUnit::Boolean) out << "\t\tlv2:portProperty lv2:toggled ;\n";
  if (row.unit == ParameterUnit::Hertz) out << "\t\tlv2:portProperty pprops:logarithmic ;\n";
  for (std::size_t v = 0; v < names.size(); ++v) {
    writeScalePoint(out, row.minimum + static_cast<float>(v), names[v]);
  }
  for (const SpecialText& special : specialTexts(index)) {
    writeScalePoint(out, special.value, special.text);
  }
  out << "\t] ,\n";
}

}  // namespace

std::string presetUri(int index) {
  char number[16];
  std::snprintf(number, sizeof number, "%02d", index + 1);
  return std::string(kPluginUri) + ":preset:" + number;
}

std::string presetLabel(int index, const std::string& name) {
  char number[16];
  std::snprintf(number, sizeof number, "%02d ", index + 1);
  return number + name;
}

std::string turtleNumber(float value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  std::string number(text, result.ptr);
  // Without a point or an exponent Turtle would read an integer.
  if (number.find_first_of(".e") == std::string::npos) number += ".0";
  return number;
}

std::string turtleString(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

void writeManifest(std::ostream& out, std::span<const PresetData> presets, bool withUi) {
  out << kPrefixes;
  out << "<" << kPluginUri << ">\n\ta lv2:Plugin ;\n\tlv2:binary <" << kBinaryName
      << "> ;\n\trdfs:seeAlso <" << kPluginTurtle << "> .\n";
  if (withUi) {
    out << "\n<" << kUiUri << ">\n\ta ui:X11UI ;\n\tlv2:binary <" << kUiBinaryName
        << "> ;\n\trdfs:seeAlso <" << kPluginTurtle << "> .\n";
  }
  for (std::size_t i = 0; i < presets.size(); ++i) {
    out << "\n<" << presetUri(static_cast<int>(i)) << ">\n\ta pset:Preset ;\n\tlv2:appliesTo <"
        << kPluginUri << "> ;\n\trdfs:label "
        << turtleString(presetLabel(static_cast<int>(i), presets[i].name)) << " ;\n\trdfs:seeAlso <"
        << kPresetsTurtle << "> .\n";
  }
}

void writePluginDescription(std::ostream& out, bool withUi) {
  out << kPrefixes;
  // The maker is named on the project: LV2 puts doap:maintainer on doap:Project only.
  out << "<" << kPluginUri << ":project>\n\ta doap:Project ;\n\tdoap:name \"Glimmerwick\" ;\n"
      << "\tdoap:maintainer [ foaf:name \"Tarnwell\" ] .\n\n";
  out << "<" << kPluginUri << ">\n"
      << "\ta lv2:InstrumentPlugin ;\n"
      << "\tdoap:name \"Glimmerwick\" ;\n"
      << "\tlv2:project <" << kPluginUri << ":project> ;\n"
      << "\tlv2:requiredFeature urid:map ;\n"
      << "\tlv2:optionalFeature lv2:hardRTCapable , log:log ;\n";
  if (withUi) out << "\tui:ui <" << kUiUri << "> ;\n";
  out << "\tlv2:port\n";
  for (int i = 0; i < param::kCount; ++i) writeControlPort(out, i);
  out << "\t[\n\t\ta lv2:InputPort , atom:AtomPort ;\n"
      << "\t\tatom:bufferType atom:Sequence ;\n\t\tatom:supports midi:MidiEvent ;\n"
      << "\t\tlv2:designation lv2:control ;\n"
      << "\t\tlv2:index " << kMidiInPort << " ;\n\t\tlv2:symbol \"midi_in\" ;\n"
      << "\t\tlv2:name \"MIDI In\" ;\n\t] ,\n";
  const char* outputs[2][2] = {{"out_1", "Glimmer 1"}, {"out_2", "Glimmer 2"}};
  for (int k = 0; k < 2; ++k) {
    out << "\t[\n\t\ta lv2:OutputPort , lv2:AudioPort ;\n"
        << "\t\tlv2:index " << kOutLeftPort + k << " ;\n\t\tlv2:symbol \"" << outputs[k][0]
        << "\" ;\n\t\tlv2:name \"" << outputs[k][1] << "\" ;\n\t] ,\n";
  }
  out << "\t[\n\t\ta lv2:OutputPort , lv2:ControlPort ;\n"
      << "\t\tlv2:index " << kActivityPort << " ;\n\t\tlv2:symbol \"activity\" ;\n"
      << "\t\tlv2:name \"Activity\" ;\n\t\tlv2:portProperty pprops:notOnGUI ;\n\t] .\n";
  if (!withUi) return;
  // The editor needs the host's window and idle calls; it follows the activity output
  // for its background.
  out << "\n<" << kUiUri << ">\n\ta ui:X11UI ;\n\tlv2:binary <" << kUiBinaryName << "> ;\n"
      << "\tlv2:requiredFeature ui:parent , ui:idleInterface ;\n"
      << "\tlv2:optionalFeature ui:resize ;\n"
      << "\tlv2:extensionData ui:idleInterface ;\n"
      << "\tui:portNotification [\n\t\tui:plugin <" << kPluginUri << "> ;\n"
      << "\t\tlv2:symbol \"activity\" ;\n\t\tui:notifyType ui:floatProtocol\n\t] .\n";
}

void writePresets(std::ostream& out, std::span<const PresetData> presets) {
  out << kPrefixes;
  for (std::size_t i = 0; i < presets.size(); ++i) {
    out << "<" << presetUri(static_cast<int>(i)) << ">\n\ta pset:Preset ;\n\tlv2:appliesTo <"
        << kPluginUri << "> ;\n\trdfs:label "
        << turtleString(presetLabel(static_cast<int>(i), presets[i].name)) << " ;\n\tlv2:port";
    for (int p = 0; p < param::kCount; ++p) {
      out << (p == 0 ? " " : " ,\n\t\t") << "[ lv2:symbol \"" << parameterSymbol(p)
          << "\" ; pset:value " << turtleNumber(presets[i].values[p]) << " ]";
    }
    out << " .\n\n";
  }
}

}  // namespace gw::lv2
