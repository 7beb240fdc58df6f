#include "editor/editor_session.h"

#include "editor/text_font.h"
#include "gfx/display_flags.h"

namespace gw {

EditorSession::EditorSession(ParameterPort& port) : port_(port) {
  scalePercent_ = guiScalePercent();
  uiThread_.store(std::this_thread::get_id(), std::memory_order_relaxed);
}

EditorSession::~EditorSession() {
  close();
}

int EditorSession::pixelWidth() const {
  return static_cast<int>(RenderWindow::kDesignWidth) * scalePercent_ / 100;
}

int EditorSession::pixelHeight() const {
  return static_cast<int>(RenderWindow::kDesignHeight) * scalePercent_ / 100;
}

bool EditorSession::open(std::uintptr_t parent) {
  if (window_) close();
  if (parent == 0) return false;
  parent_ = parent;
  uiThread_.store(std::this_thread::get_id(), std::memory_order_relaxed);
  buildView(0, 0);
  return true;
}

void EditorSession::close() {
  RenderWindow::destroy(std::move(window_));
  parent_ = 0;
}

void EditorSession::idle() {
  if (window_) window_->idle();
}

void EditorSession::parameterChanged(int index, float value) {
  pending_.append(index, value);
}

void EditorSession::programChanged() {
  if (std::this_thread::get_id() == uiThread_.load(std::memory_order_relaxed) && window_) {
    window_->dispatcher().prime();
  } else {
    pending_.requestReprime();
  }
}

bool EditorSession::grabFrame(FrameGrab& grab) {
  return window_ != nullptr && window_->grabFrame(grab);
}

RenderWindow& EditorSession::createWindow(int x, int y, std::unique_ptr<TextFont> font) {
  RenderWindow::Rect rect;
  rect.left = static_cast<std::int16_t>(x);
  rect.top = static_cast<std::int16_t>(y);
  rect.right = static_cast<std::int16_t>(x + static_cast<int>(RenderWindow::kDesignWidth));
  rect.bottom = static_cast<std::int16_t>(y + static_cast<int>(RenderWindow::kDesignHeight));
  RenderWindow::destroy(std::move(window_));
  window_ = std::make_unique<RenderWindow>(this, port_, pending_, rect, parent_, pixelWidth(),
                                           pixelHeight(), std::move(font));
  return *window_;
}

}  // namespace gw
