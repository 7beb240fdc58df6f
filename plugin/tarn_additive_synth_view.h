// The synthesiser's VST editor: the SDK's editor over the synthesiser's view, attached to
// each new plug-in by the factory.
#pragma once

#include "plugin/tarn_editor.h"
#include "view/synth_view.h"

class TarnAdditiveSynthView : public TarnEditor {
 public:
  // Thread: UI, from the plug-in factory.
  explicit TarnAdditiveSynthView(TarnAuBase* effect) : TarnEditor(effect), commands_(port_) {}

  // Thread: UI, from open.
  void buildView(int x, int y) override;
  // Thread: UI. Pointer events and parameter changes, then a dialog the press asked for.
  void idle() override;

 private:
  gw::SynthViewCommands commands_;
};
