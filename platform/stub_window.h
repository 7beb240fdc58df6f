// A child window without any window system, so that the layers above can be tested
// headless: the test queues pointer events, pollEvents hands them out, and capture and
// size requests are recorded.
#pragma once

#include <deque>

#include "platform/window.h"

namespace gw::platform {

class StubWindow final : public ChildWindow {
 public:
  StubWindow(int width, int height) : width_(width), height_(height) {}

  void push(const PointerEvent& event) { queued_.push_back(event); }
  bool captured() const { return captured_; }
  int width() const { return width_; }
  int height() const { return height_; }

  std::uintptr_t nativeHandle() const override { return 0; }
  void pollEvents(std::vector<PointerEvent>& out) override;
  void capturePointer() override { captured_ = true; }
  void releasePointer() override { captured_ = false; }
  void resize(int width, int height) override;
  bool viewable() const override { return viewable_; }
  void setViewable(bool viewable) { viewable_ = viewable; }

 private:
  std::deque<PointerEvent> queued_;
  bool captured_ = false;
  bool viewable_ = true;
  int width_;
  int height_;
};

}  // namespace gw::platform
