// The synthesiser's editor: builds the render window, its tree and effects when the
// host opens the editor, and runs the buttons' commands.
#pragma once

#include "editor/tarn_editor.h"

namespace TW {
class Button;
}

class TarnAdditiveSynthView : public TarnEditor {
 public:
  // Thread: UI, from the plug-in's constructor.
  explicit TarnAdditiveSynthView(TarnAuBase* effect) : TarnEditor(effect) {}

  // Thread: UI, from open.
  void buildView(int x, int y) override;
  // Thread: UI. Pointer events and parameter changes, then a dialog the press asked for.
  void idle() override;

 private:
  // Thread: UI, from a button's release.
  static void command(TW::Button& button, void* view);

  // The dialog waits until the press that asked for it has ended and the pointer is no
  // longer held by the editor's window, so the dialog can take the clicks.
  bool prefsRequested_ = false;
};
