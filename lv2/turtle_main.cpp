// Writes the bundle's Turtle into a folder, the presets from the factory bank. Usage:
// glimmerwick-lv2-turtle [--with-ui] OUTPUT_DIR
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "lv2/turtle_writer.h"
#include "params/factory_bank.h"

namespace {

bool finish(std::ofstream& out, const std::string& path) {
  out.close();
  if (!out) std::fprintf(stderr, "glimmerwick-lv2-turtle: cannot write %s\n", path.c_str());
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  const bool withUi = argc == 3 && std::string(argv[1]) == "--with-ui";
  if (argc != 2 && !withUi) {
    std::fprintf(stderr, "usage: %s [--with-ui] OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  std::vector<gw::lv2::PresetData> presets;
  for (const gw::FactoryPreset& preset : gw::factoryBank)
    presets.push_back({preset.name, preset.values});
  const std::string dir = argv[argc - 1];
  const std::string manifestPath = dir + "/manifest.ttl";
  const std::string pluginPath = dir + "/" + gw::lv2::kPluginTurtle;
  const std::string presetsPath = dir + "/" + gw::lv2::kPresetsTurtle;
  std::ofstream manifest(manifestPath, std::ios::trunc);
  gw::lv2::writeManifest(manifest, presets, withUi);
  std::ofstream plugin(pluginPath, std::ios::trunc);
  gw::lv2::writePluginDescription(plugin, withUi);
  std::ofstream bank(presetsPath, std::ios::trunc);
  gw::lv2::writePresets(bank, presets);
  // Every file is closed and reported, whichever failed first.
  const bool manifestOk = finish(manifest, manifestPath);
  const bool pluginOk = finish(plugin, pluginPath);
  const bool bankOk = finish(bank, presetsPath);
  return manifestOk && pluginOk && bankOk ? 0 : 1;
}
