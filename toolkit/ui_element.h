// The element protocol of the editor's tree. Elements are created through
// ElementHost::create, which owns them; groups only reference their children.
#pragma once

#include <cstdint>

#include "toolkit/geometry.h"
#include "toolkit/parameter_port.h"

namespace gw {
class ElementHost;
}

namespace TW {

class Group;

class UIElement {
 public:
  explicit UIElement(gw::ElementHost& window) : window_(window) {}
  virtual ~UIElement() = default;
  UIElement(const UIElement&) = delete;
  UIElement& operator=(const UIElement&) = delete;

  // Thread: render. Draws in the parent's coordinates.
  virtual void draw() {}
  // Thread: any. Extends box by the element's extent in the parent's coordinates.
  virtual void addBounds(gw::Box& /*box*/) const {}
  // Thread: UI. Points are design units in the parent's coordinates.
  virtual void mouseDown(gw::Point /*point*/, std::uint32_t /*modifiers*/) {}
  virtual void mouseDrag(gw::Point /*point*/, std::uint32_t /*modifiers*/) {}
  virtual void mouseUp(gw::Point /*point*/, std::uint32_t /*modifiers*/) {}
  virtual void mouseEnter() {}
  virtual void mouseLeave() {}
  // Thread: UI. A listened parameter changed (value in the parameter's own unit).
  virtual void updateValue(const gw::ParameterDisplayRecord& /*record*/, float /*value*/) {}
  // Thread: UI. The element under the point, or null.
  virtual UIElement* hitTest(gw::Point /*point*/) { return nullptr; }
  // Thread: render, once the GL context exists; then the second pass over every element.
  virtual void glInit() {}
  virtual void glPostInit() {}

  gw::ElementHost& window() const { return window_; }
  Group* parent() const { return parent_; }
  // The element's extent translated by the offsets of all its ancestors.
  gw::Box absoluteBounds() const;

 private:
  friend class Group;
  gw::ElementHost& window_;
  Group* parent_ = nullptr;
};

// An element with a box of its own and a stepped flag.
class ControlBase : public UIElement {
 public:
  ControlBase(gw::ElementHost& window, const gw::Box& box) : UIElement(window), box_(box) {}

  void addBounds(gw::Box& box) const override { box.extend(box_); }
  UIElement* hitTest(gw::Point point) override { return box_.contains(point) ? this : nullptr; }

  const gw::Box& box() const { return box_; }
  bool stepped() const { return stepped_; }

 protected:
  // Writes normalised v of the record's parameter; a stepped control snaps to whole
  // values. Returns v as the control should now show it.
  float steppedWrite(const gw::ParameterDisplayRecord& record, float v) const;

  gw::Box box_;
  bool stepped_ = false;
};

}  // namespace TW
