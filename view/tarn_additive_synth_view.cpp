#include "view/tarn_additive_synth_view.h"

#include <iterator>

#include "editor/about_dialog.h"
#include "editor/display_flags.h"
#include "editor/text_font.h"
#include "effects/ripple_knob_renderer.h"
#include "effects/ripples.h"
#include "effects/vortex.h"
#include "resources/resource_table.h"
#include "view/synth_layout.h"
#include "view/waveform_commands.h"

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
  auto ripples = std::make_unique<TW::Ripples>(&rippleTexture);
  auto vortex = std::make_unique<TW::Vortex>();
  auto knobs = std::make_unique<TW::RippleKnobRenderer>();
  const TW::ControlEffects effects{*knobs, ripples.get(), vortex.get(), knobs.get()};
  window.addEffect(std::move(ripples));
  window.addEffect(std::move(vortex));
  window.addEffect(std::move(knobs));
  gw::buildSynthLayout(window, effects, &TarnAdditiveSynthView::command, this);
  window.startRenderThread();
  window.dispatcher().prime();
}

void TarnAdditiveSynthView::idle() {
  TarnEditor::idle();
  if (prefsRequested_ && window() != nullptr) {
    prefsRequested_ = false;
    // Modal: the host's idle calls stop meanwhile, the render thread keeps drawing.
    gw::runAboutDialog(reinterpret_cast<std::uintptr_t>(systemWindow_));
  }
}

void TarnAdditiveSynthView::command(TW::Button& button, void* context) {
  auto& view = *static_cast<TarnAdditiveSynthView*>(context);
  switch (button.id()) {
    case gw::kSquareCommand:
      return gw::writeWaveform(view.port_, gw::Waveform::Square);
    case gw::kTriangleCommand:
      return gw::writeWaveform(view.port_, gw::Waveform::Triangle);
    case gw::kSawCommand:
      return gw::writeWaveform(view.port_, gw::Waveform::Saw);
    case gw::kSineCommand:
      return gw::writeWaveform(view.port_, gw::Waveform::Sine);
    case gw::kPrefsCommand:
      view.prefsRequested_ = true;
      return;
    default:
      return;
  }
}
