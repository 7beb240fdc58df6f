#include "plugin/plugin_factory.h"

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
  auto* synth = new (std::nothrow) TarnAdditiveSynth(host);
  if (synth == nullptr) return nullptr;
  if (!synth->constructed()) {
    delete synth;
    return nullptr;
  }
  return synth->getAeffect();
}

}  // namespace gw
