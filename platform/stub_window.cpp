#include "platform/stub_window.h"

namespace gw::platform {

void StubWindow::pollEvents(std::vector<PointerEvent>& out) {
  out.insert(out.end(), queued_.begin(), queued_.end());
  queued_.clear();
}

void StubWindow::resize(int width, int height) {
  if (width <= 0 || height <= 0) return;
  width_ = width;
  height_ = height;
}

}  // namespace gw::platform
