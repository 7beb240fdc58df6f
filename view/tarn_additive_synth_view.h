// The synthesiser's editor: builds the render window, its tree and effects when the
// host opens the editor.
#pragma once

#include "editor/tarn_editor.h"

namespace gw {
// Builds the synthesiser's window, tree and effects into any format's editor session.
// Thread: UI, from the session's open.
void buildSynthView(EditorSession& session, int x, int y);
}  // namespace gw

class TarnAdditiveSynthView : public TarnEditor {
 public:
  // Command ids of the view's buttons; the status line shows their texts.
  static constexpr int kSquareCommand = -2;
  static constexpr int kTriangleCommand = -3;
  static constexpr int kSawCommand = -4;
  static constexpr int kSineCommand = -5;
  static constexpr int kCaptureCommand = -6;
  static constexpr int kPrefsCommand = -7;

  // Thread: UI, from the plug-in's constructor.
  explicit TarnAdditiveSynthView(TarnAuBase* effect) : TarnEditor(effect) {}

  // Thread: UI, from open.
  void buildView(int x, int y) override;
};
