#include "toolkit/pointer_tracker.h"

#include "toolkit/element_host.h"
#include "toolkit/group.h"

namespace gw {

using platform::PointerEvent;

void PointerTracker::setMapping(float scaleX, float scaleY, int heightPixels) {
  scaleX_ = scaleX > 0.0f ? scaleX : 1.0f;
  scaleY_ = scaleY > 0.0f ? scaleY : 1.0f;
  heightPixels_ = heightPixels;
}

Point PointerTracker::toDesign(int x, int y) const {
  return {static_cast<float>(x) / scaleX_, static_cast<float>(heightPixels_ - y) / scaleY_};
}

PointerTracker::Capture PointerTracker::handle(const PointerEvent& event) {
  const Point point = toDesign(event.x, event.y);
  switch (event.kind) {
    case PointerEvent::Kind::Move:
      if (pressed()) {
        drag(point, event.modifiers);
      } else {
        hover(host_.root().hitTest(point));
      }
      return Capture::Keep;
    case PointerEvent::Kind::Press:
      // A second button during a press counts as a move, as the drag loop treats it.
      if (pressed()) {
        drag(point, event.modifiers);
        return Capture::Keep;
      }
      return press(point, event.modifiers);
    case PointerEvent::Kind::Release:
      if (!pressed()) return Capture::Keep;
      drag(point, modifiers_);
      return release(point);
    case PointerEvent::Kind::Leave:
      if (!pressed()) hover(nullptr);
      return Capture::Keep;
    case PointerEvent::Kind::Close:
      return cancel();
  }
  return Capture::Keep;
}

PointerTracker::Capture PointerTracker::cancel() {
  if (!pressed()) return Capture::Keep;
  return release(last_);
}

void PointerTracker::hover(TW::UIElement* hit) {
  TW::UIElement* previous = host_.hovered().load(std::memory_order_relaxed);
  if (hit == previous) return;
  if (previous != nullptr) previous->mouseLeave();
  if (hit != nullptr) hit->mouseEnter();
  host_.hovered().store(hit, std::memory_order_release);
}

PointerTracker::Capture PointerTracker::press(Point point, std::uint32_t modifiers) {
  TW::UIElement* target = host_.root().hitTest(point);
  if (target == nullptr) return Capture::Keep;
  target_ = target;
  modifiers_ = modifiers;
  last_ = point;
  target->mouseDown(point, modifiers);
  host_.dispatcher().flush();
  return Capture::Grab;
}

void PointerTracker::drag(Point point, std::uint32_t modifiers) {
  last_ = point;
  if (modifiers != modifiers_) {
    target_->mouseUp(point, modifiers_);
    modifiers_ = modifiers;
    target_->mouseDown(point, modifiers_);
  }
  target_->mouseDrag(point, modifiers_);
  host_.dispatcher().flush();
}

PointerTracker::Capture PointerTracker::release(Point point) {
  TW::UIElement* target = target_;
  target_ = nullptr;
  target->mouseUp(point, modifiers_);
  // A knob's own mouseUp usually closed its edit already; a multi-slider leaves every
  // bar it reached open until here.
  host_.edits().endAll();
  host_.port().updateDisplay();
  host_.dispatcher().flush();
  hover(host_.root().hitTest(point));
  return Capture::Release;
}

}  // namespace gw
