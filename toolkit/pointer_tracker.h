// The pointer path into the element tree, driven by translated native events on the UI
// thread: hover with enter/leave, and one press as mouseDown, mouseDrag for every move
// and for the release, mouseUp — all to the element hit at the press, wherever the
// pointer goes. A change of modifier keys mid-press ends the gesture and starts the next.
#pragma once

#include <cstdint>

#include "platform/window.h"
#include "toolkit/geometry.h"

namespace TW {
class UIElement;
}

namespace gw {

class ElementHost;

class PointerTracker {
 public:
  enum class Capture { Keep, Grab, Release };

  explicit PointerTracker(ElementHost& host) : host_(host) {}

  // Window pixels per design unit on each axis, and the window's height in pixels.
  void setMapping(float scaleX, float scaleY, int heightPixels);
  // Thread: UI. Returns what the window must do with the pointer grab.
  Capture handle(const platform::PointerEvent& event);
  // Thread: UI. Ends an open press as if released where the pointer was last seen.
  Capture cancel();

  bool pressed() const { return target_ != nullptr; }
  // Window pixels (origin top left) to design units (origin bottom left).
  Point toDesign(int x, int y) const;

 private:
  void hover(TW::UIElement* hit);
  Capture press(Point point, std::uint32_t modifiers);
  void drag(Point point, std::uint32_t modifiers);
  Capture release(Point point);

  ElementHost& host_;
  float scaleX_ = 1.0f;
  float scaleY_ = 1.0f;
  int heightPixels_ = 415;
  TW::UIElement* target_ = nullptr;
  std::uint32_t modifiers_ = 0;
  Point last_;
};

}  // namespace gw
