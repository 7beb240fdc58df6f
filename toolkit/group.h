// A container with an offset; it draws, bounds and hit-tests its children in the order
// they were added, so the first added wins a hit and the last added draws on top.
#pragma once

#include <vector>

#include "toolkit/ui_element.h"

namespace TW {

class Group : public UIElement {
 public:
  explicit Group(gw::ElementHost& window) : UIElement(window) {}

  void draw() override;
  void addBounds(gw::Box& box) const override;
  UIElement* hitTest(gw::Point point) override;

  // Thread: UI, only while the tree is built (the render thread reads children and
  // offsets without a lock afterwards). The child stays owned by the window.
  void addChild(UIElement* child);
  void setOffset(float x, float y, float z = 0.0f);
  float offsetX() const { return x_; }
  float offsetY() const { return y_; }
  float offsetZ() const { return z_; }
  const std::vector<UIElement*>& children() const { return children_; }

 protected:
  void drawChildren();
  gw::Box childBounds() const;

 private:
  std::vector<UIElement*> children_;
  float x_ = 0.0f, y_ = 0.0f, z_ = 0.0f;
};

}  // namespace TW
