#include "view/synth_view.h"

#include <iterator>

#include "editor/about_dialog.h"
#include "editor/text_font.h"
#include "effects/ripple_knob_renderer.h"
#include "effects/ripples.h"
#include "effects/vortex.h"
#include "gfx/display_flags.h"
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

void gw::buildSynthView(EditorSession& session, SynthViewCommands& commands, int x, int y) {
  gw::loadDisplayFlags();
  RenderWindow& window = session.createWindow(x, y, std::make_unique<gw::TextFont>());
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
  gw::buildSynthLayout(window, effects, &SynthViewCommands::command, &commands);
  window.startRenderThread();
  window.dispatcher().prime();
}

void gw::SynthViewCommands::idle(const EditorSession& session, std::uintptr_t parent) {
  if (prefsRequested_ && session.window() != nullptr) {
    prefsRequested_ = false;
    // Modal: the host's idle calls stop meanwhile, the render thread keeps drawing.
    gw::runAboutDialog(parent);
  }
}

void gw::SynthViewCommands::command(TW::Button& button, void* self) {
  auto& commands = *static_cast<SynthViewCommands*>(self);
  switch (button.id()) {
    case kSquareCommand:
      return writeWaveform(commands.port_, Waveform::Square);
    case kTriangleCommand:
      return writeWaveform(commands.port_, Waveform::Triangle);
    case kSawCommand:
      return writeWaveform(commands.port_, Waveform::Saw);
    case kSineCommand:
      return writeWaveform(commands.port_, Waveform::Sine);
    case kPrefsCommand:
      commands.prefsRequested_ = true;
      return;
    default:
      return;
  }
}
