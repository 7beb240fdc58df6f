#include "host/render/info.h"

#include <cstdio>
#include <string>

#include "host/render/parameters.h"
#include "params/parameter_table.h"

namespace gw::render {

namespace {

std::string fourCharCode(std::int32_t id) {
  std::string code;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((static_cast<std::uint32_t>(id) >> shift) & 0xFF);
    code += (c >= 32 && c < 127) ? c : '?';
  }
  return code;
}

std::string flagNames(std::int32_t flags) {
  static constexpr struct {
    std::int32_t bit;
    const char* name;
  } kFlags[] = {
      {vst::effFlagsHasEditor, "has-editor"},
      {vst::effFlagsCanReplacing, "can-replacing"},
      {vst::effFlagsProgramChunks, "program-chunks"},
      {vst::effFlagsIsSynth, "is-synth"},
      {vst::effFlagsNoSoundInStop, "no-sound-in-stop"},
      {vst::effFlagsCanDoubleReplacing, "can-double-replacing"},
  };
  std::string names;
  for (const auto& flag : kFlags) {
    if ((flags & flag.bit) == 0) continue;
    names += names.empty() ? "" : " ";
    names += flag.name;
  }
  return names;
}

const char* categoryName(vst::IntPtr category) {
  static constexpr const char* kNames[] = {"unknown",     "effect",      "synth",   "analysis",
                                           "mastering",   "spatialiser", "room fx", "surround fx",
                                           "restoration", "offline",     "shell",   "generator"};
  return category >= 0 && category < 12 ? kNames[category] : "?";
}

void printPins(host::Plugin& plugin, bool outputs, std::int32_t count, std::ostream& out) {
  for (std::int32_t pin = 0; pin < count; ++pin) {
    vst::VstPinProperties properties;
    const bool answered = outputs ? plugin.outputProperties(pin, properties)
                                  : plugin.inputProperties(pin, properties);
    out << "  " << (outputs ? "output " : "input ") << pin << ": ";
    if (!answered) {
      out << "(no properties)\n";
      continue;
    }
    properties.label[sizeof properties.label - 1] = '\0';
    out << '"' << properties.label << '"';
    if (properties.flags & vst::kVstPinIsActive) out << " active";
    if (properties.flags & vst::kVstPinIsStereo) out << " stereo";
    if (properties.flags & vst::kVstPinUseSpeaker) out << " speaker";
    out << '\n';
  }
}

}  // namespace

void printInfo(host::Plugin& plugin, const std::string& modulePath, std::ostream& out) {
  const vst::AEffect& e = *plugin.effect();
  char line[256];
  out << "Module:          " << modulePath << '\n';
  out << "Effect name:     " << plugin.effectName() << '\n';
  out << "Vendor:          " << plugin.vendorString() << '\n';
  out << "Product:         " << plugin.productString() << '\n';
  out << "Vendor version:  " << plugin.dispatch(vst::effGetVendorVersion) << '\n';
  out << "VST version:     " << plugin.dispatch(vst::effGetVstVersion) << '\n';
  const vst::IntPtr category = plugin.dispatch(vst::effGetPlugCategory);
  out << "Category:        " << category << " (" << categoryName(category) << ")\n";
  std::snprintf(line, sizeof line, "'%s' (0x%08X)", fourCharCode(e.uniqueID).c_str(),
                static_cast<unsigned>(e.uniqueID));
  out << "Unique id:       " << line << '\n';
  out << "Version:         " << e.version << '\n';
  std::snprintf(line, sizeof line, "0x%X", static_cast<unsigned>(e.flags));
  out << "Flags:           " << line << " (" << flagNames(e.flags) << ")\n";
  out << "Initial delay:   " << e.initialDelay << '\n';
  out << "Inputs:          " << e.numInputs << '\n';
  printPins(plugin, false, e.numInputs, out);
  out << "Outputs:         " << e.numOutputs << '\n';
  printPins(plugin, true, e.numOutputs, out);

  // Our own module's names come whole from its table, with the words its values show;
  // another module's are what it tells a host (often cut short).
  const bool described = describedByTable(plugin);
  out << "Parameters:      " << e.numParams
      << (described ? " (-s takes a name, its unique start or the index; a number or a word)" : "")
      << '\n';
  std::snprintf(line, sizeof line, "  %5s  %-26s %-8s %-14s %-10s %s\n", "index", "name", "label",
                "display", "normalised", described ? "words" : "");
  out << line;
  for (std::int32_t i = 0; i < e.numParams; ++i) {
    const std::string name = described ? kParameterTable[i].name : plugin.parameterName(i);
    std::string words;
    for (const auto& [word, value] : valueWords(i)) {
      char pair[48];
      std::snprintf(pair, sizeof pair, "%s%s=%g", words.empty() ? "" : ", ", word.c_str(),
                    static_cast<double>(value));
      words += pair;
    }
    std::snprintf(line, sizeof line, "  %5d  %-26s %-8s %-14s %-10.6f %s", i, name.c_str(),
                  plugin.parameterLabel(i).c_str(), plugin.parameterDisplay(i).c_str(),
                  plugin.getParameter(i), described ? words.c_str() : "");
    std::string text = line;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out << text << '\n';
  }

  // Numbered from 1, as --program, the standalone and the LV2 presets count.
  const vst::IntPtr current = plugin.dispatch(vst::effGetProgram);
  out << "Programs:        " << e.numPrograms << " (current " << current + 1 << ")\n";
  for (std::int32_t i = 0; i < e.numPrograms; ++i) {
    std::snprintf(line, sizeof line, "  %5d  %s\n", i + 1, plugin.programNameIndexed(i).c_str());
    out << line;
  }
}

}  // namespace gw::render
