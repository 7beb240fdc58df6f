#include "view/tarn_additive_synth_view.h"

#include <iterator>

#include "editor/display_flags.h"
#include "editor/text_font.h"
#include "effects/ripple_knob_renderer.h"
#include "effects/ripples.h"
#include "effects/vortex.h"
#include "resources/resource_table.h"
#include "toolkit/group.h"

namespace {

// Indexed by -id - 2.
constexpr const char* kStatusTexts[] = {
    "Set square waveform", "Set triangle waveform", "Set saw waveform",
    "Set sine waveform",   "Capture preset",        "Open the About/Preferences dialog",
};

}  // namespace

void TarnAdditiveSynthView::buildView(int x, int y) {
  gw::loadDisplayFlags();
  RenderWindow& window = createWindow(x, y, std::make_unique<gw::TextFont>());
  window.setStatusStrings(kStatusTexts, static_cast<int>(std::size(kStatusTexts)));
  // Drawn in this order after the labels, which the window made first.
  const gw::Texture& rippleTexture = window.addTexture(gw::resources::kRippleImageId);
  window.addEffect(std::make_unique<TW::Ripples>(&rippleTexture));
  window.addEffect(std::make_unique<TW::Vortex>());
  window.addEffect(std::make_unique<TW::RippleKnobRenderer>());
  window.startRenderThread();
  window.dispatcher().prime();
}
