#include "view/tarn_additive_synth_view.h"

#include <iterator>

#include "editor/display_flags.h"
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
  RenderWindow& window = createWindow(x, y);
  window.setStatusStrings(kStatusTexts, static_cast<int>(std::size(kStatusTexts)));
  // The ripples draw with this texture once they exist.
  window.addTexture(gw::resources::kRippleImageId);
  window.startRenderThread();
  window.dispatcher().prime();
}
