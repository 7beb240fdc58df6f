#include "host/standalone/editor_session.h"

namespace gw::standalone {

bool EditorSession::open(const std::string& title, std::string& error) {
  if ((plugin_.effect()->flags & vst::effFlagsHasEditor) == 0) {
    error = "module has no editor";
    return false;
  }
  vst::ERect* rect = nullptr;
  plugin_.dispatch(vst::effEditGetRect, 0, 0, &rect);
  if (rect == nullptr) {
    error = "the module reports no editor size";
    return false;
  }
  const int width = rect->right - rect->left;
  const int height = rect->bottom - rect->top;
  window_ = platform::TopLevelWindow::create(width, height, title, error);
  if (window_ == nullptr) return false;
  // Editors on X11 take the parent's Window id through the pointer argument.
  plugin_.dispatch(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(window_->nativeHandle()));
  editorOpen_ = true;
  return true;
}

void EditorSession::close() {
  if (editorOpen_) plugin_.dispatch(vst::effEditClose);
  editorOpen_ = false;
  window_.reset();
}

bool EditorSession::closeRequested() {
  return window_ == nullptr || window_->processEvents();
}

void EditorSession::idle() {
  if (editorOpen_) plugin_.dispatch(vst::effEditIdle);
}

}  // namespace gw::standalone
