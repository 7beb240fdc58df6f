#include "plugin/plugin_factory.h"

#include <exception>
#include <new>

#include "platform/system.h"
#include "plugin/tarn_additive_synth.h"

namespace gw {

bool CpuProbe::sse2Usable() {
  return platform::cpuHasSse2();
}

vst::AEffect* createEffect(vst::HostCallback host, bool sse2Usable) {
  if (AudioEffect::queryHostVersion(host) == 0) return nullptr;
  if (!sse2Usable) {
    platform::showMessageBox(kSse2Refusal, "Error", platform::MessageIcon::None);
    return nullptr;
  }
  TarnAdditiveSynth* synth = nullptr;
  try {
    // The object itself fails quietly; the editor and engine parts it creates may throw.
    synth = new (std::nothrow) TarnAdditiveSynth(host);
  } catch (const std::exception&) {
    return nullptr;  // nothing may be thrown into the host
  }
  if (synth == nullptr) return nullptr;
  if (!synth->constructed()) {
    delete synth;
    return nullptr;
  }
  return synth->getAeffect();
}

}  // namespace gw
