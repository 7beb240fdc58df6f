// The bundle's Turtle, written from the parameter table and the factory bank: the
// manifest, the plug-in description with its ports, and the presets.
#pragma once

#include <array>
#include <ostream>
#include <span>
#include <string>

#include "params/parameter_ids.h"

namespace gw::lv2 {

struct PresetData {
  std::string name;
  std::array<float, param::kCount> values;  // internal units, as the ports carry them
};

inline constexpr const char* kPluginTurtle = "glimmerwick.ttl";
inline constexpr const char* kPresetsTurtle = "presets.ttl";
inline constexpr const char* kUiBinaryName = "glimmerwick_lv2_ui.so";

// The preset's URI: the plug-in's URI, ":preset:" and its 1-based number in two digits.
std::string presetUri(int index);
// The preset's label: that number and the program's name ("08 Shimmery"), as every tool
// numbers programs; the number also keeps hosts that sort by label in bank order.
std::string presetLabel(int index, const std::string& name);
// The shortest text that reads back as the same float, always a Turtle number.
std::string turtleNumber(float value);
// The text between double quotes in Turtle.
std::string turtleString(const std::string& text);

// withUi: the bundle holds the editor as an X11 UI (kUiBinaryName).
void writeManifest(std::ostream& out, std::span<const PresetData> presets, bool withUi);
void writePluginDescription(std::ostream& out, bool withUi);
void writePresets(std::ostream& out, std::span<const PresetData> presets);

}  // namespace gw::lv2
