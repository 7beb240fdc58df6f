// Writes the bundle's Turtle into a folder, taking the presets from the factory bank as
// the VST plug-in holds it. Usage: glimmerwick-lv2-turtle [--with-ui] OUTPUT_DIR
#include <cstdio>
#include <fstream>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "lv2/turtle_writer.h"
#include "plugin/tarn_additive_synth.h"
#include "plugin/vst/aeffect.h"

namespace {

vst::IntPtr VSTCALLBACK quietHost(vst::AEffect*, std::int32_t opcode, std::int32_t, vst::IntPtr,
                                  void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

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
  auto synth = std::unique_ptr<TarnAdditiveSynth>(new (std::nothrow) TarnAdditiveSynth(quietHost));
  if (synth == nullptr || !synth->constructed()) {
    std::fprintf(stderr, "glimmerwick-lv2-turtle: cannot create the synthesiser\n");
    return 1;
  }
  std::vector<gw::lv2::PresetData> presets(TarnAuBase::kNumPrograms);
  for (int i = 0; i < TarnAuBase::kNumPrograms; ++i) {
    const TarnProgramBasic* program = synth->program(i);
    presets[i].name = program->getName();
    for (int p = 0; p < gw::param::kCount; ++p) presets[i].values[p] = program->getValue(p);
  }
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
