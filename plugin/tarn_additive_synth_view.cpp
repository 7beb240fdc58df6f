#include "plugin/tarn_additive_synth_view.h"

#include <cstdint>

void TarnAdditiveSynthView::buildView(int x, int y) {
  gw::buildSynthView(*this, commands_, x, y);
}

void TarnAdditiveSynthView::idle() {
  TarnEditor::idle();
  commands_.idle(*this, reinterpret_cast<std::uintptr_t>(systemWindow_));
}
