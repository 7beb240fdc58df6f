#include "plugin/tarn_editor.h"

#include <cstdint>

#include "plugin/tarn_au_base.h"

// The session keeps a reference to the port member, constructed after it but used only
// once the host opens the editor.
TarnEditor::TarnEditor(TarnAuBase* effect)
    : AEffEditor(effect), gw::EditorSession(pluginPort_), pluginPort_(*effect) {
  rect_.top = 0;
  rect_.left = 0;
  rect_.bottom = static_cast<std::int16_t>(pixelHeight());
  rect_.right = static_cast<std::int16_t>(pixelWidth());
  effect->setEditor(this);
  effect->setEditorLink(this);
}

// The render thread reads the port member: the window goes before it does.
TarnEditor::~TarnEditor() {
  gw::EditorSession::close();
}

bool TarnEditor::getRect(vst::ERect** rect) {
  if (rect == nullptr) return false;
  *rect = &rect_;
  return true;
}

bool TarnEditor::open(void* ptr) {
  gw::EditorSession::close();
  systemWindow_ = ptr;
  gw::EditorSession::open(reinterpret_cast<std::uintptr_t>(ptr));
  return false;
}

void TarnEditor::close() {
  gw::EditorSession::close();
  systemWindow_ = nullptr;
}

void TarnEditor::idle() {
  gw::EditorSession::idle();
}
