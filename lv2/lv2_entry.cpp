// The LV2 entry point and the descriptor's C callbacks over gw::lv2::Lv2Plugin.
#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/midi/midi.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <exception>
#include <new>

#include "lv2/lv2_plugin.h"
#include "platform/module_export.h"

namespace {

using gw::lv2::Lv2Plugin;

const void* findFeature(const LV2_Feature* const* features, const char* uri) {
  if (features == nullptr) return nullptr;
  for (const LV2_Feature* const* f = features; *f != nullptr; ++f) {
    if (*f != nullptr && (*f)->URI != nullptr && std::strcmp((*f)->URI, uri) == 0)
      return (*f)->data;
  }
  return nullptr;
}

// Thread: the host's instantiation class. Null refuses the instance: no urid map (a
// required feature), an unusable rate, a processor without SSE2, or no memory.
LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*,
                       const LV2_Feature* const* features) {
  const auto* map = static_cast<const LV2_URID_Map*>(findFeature(features, LV2_URID__map));
  if (map == nullptr || map->map == nullptr) return nullptr;
  if (!(rate > 0.0 && rate < 1e6) || !gw::Instrument::processorSupported()) return nullptr;
  Lv2Plugin* plugin = nullptr;
  try {
    plugin = new (std::nothrow)
        Lv2Plugin(static_cast<float>(rate), map->map(map->handle, LV2_MIDI__MidiEvent));
  } catch (const std::exception&) {
    return nullptr;  // nothing may be thrown into the host
  }
  const auto* log = static_cast<const LV2_Log_Log*>(findFeature(features, LV2_LOG__log));
  if (plugin != nullptr && log != nullptr)
    plugin->setLog(log, map->map(map->handle, LV2_LOG__Warning));
  return plugin;
}

void connectPort(LV2_Handle instance, std::uint32_t port, void* data) {
  static_cast<Lv2Plugin*>(instance)->connectPort(port, data);
}

void activate(LV2_Handle instance) {
  static_cast<Lv2Plugin*>(instance)->activate();
}

void run(LV2_Handle instance, std::uint32_t frames) {
  static_cast<Lv2Plugin*>(instance)->run(frames);
}

void deactivate(LV2_Handle instance) {
  static_cast<Lv2Plugin*>(instance)->reportRefusedMidi();
}

void cleanup(LV2_Handle instance) {
  auto* plugin = static_cast<Lv2Plugin*>(instance);
  plugin->reportRefusedMidi();
  delete plugin;
}

const void* extensionData(const char*) {
  return nullptr;
}

const LV2_Descriptor kDescriptor = {gw::lv2::kPluginUri, instantiate, connectPort,  activate, run,
                                    deactivate,          cleanup,     extensionData};

}  // namespace

// Thread: the host's discovery thread.
extern "C" GW_MODULE_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index) {
  return index == 0 ? &kDescriptor : nullptr;
}
