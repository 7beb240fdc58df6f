#include "plugin/plugin_factory.h"

#include <exception>
#include <new>

#include "instrument/instrument.h"
#include "platform/system.h"
#include "plugin/tarn_additive_synth.h"
#if GW_WITH_EDITOR
#include "plugin/tarn_additive_synth_view.h"
#endif

namespace gw {

bool CpuProbe::sse2Usable() {
  return Instrument::processorSupported();
}

vst::AEffect* createEffect(vst::HostCallback host, bool sse2Usable) {
  if (AudioEffect::queryHostVersion(host) == 0) return nullptr;
  if (!sse2Usable) {
    platform::showMessageBox(kSse2Refusal, "Error", platform::MessageIcon::None);
    return nullptr;
  }
  TarnAdditiveSynth* synth = nullptr;
  try {
    // Programs it could not allocate show in constructed(), not as an exception.
    synth = new (std::nothrow) TarnAdditiveSynth(host);
  } catch (const std::exception&) {
    return nullptr;  // nothing may be thrown into the host
  }
  if (synth == nullptr) return nullptr;
  if (!synth->constructed()) {
    delete synth;
    return nullptr;
  }
#if GW_WITH_EDITOR
  try {
    new TarnAdditiveSynthView(synth);  // becomes the plug-in's editor, owned by the SDK base
  } catch (const std::exception&) {
    delete synth;
    return nullptr;
  }
#endif
  return synth->getAeffect();
}

}  // namespace gw
