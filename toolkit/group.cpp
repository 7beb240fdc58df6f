#include "toolkit/group.h"

#include <GL/gl.h>

#include "toolkit/element_host.h"

namespace TW {

gw::Box UIElement::absoluteBounds() const {
  gw::Box box;
  addBounds(box);
  for (const Group* group = parent_; group != nullptr; group = group->parent()) {
    box.translate(group->offsetX(), group->offsetY(), group->offsetZ());
  }
  return box;
}

void Group::draw() {
  glPushMatrix();
  glTranslatef(x_, y_, z_);
  drawChildren();
  glPopMatrix();
}

void Group::drawChildren() {
  for (UIElement* child : children_) child->draw();
}

gw::Box Group::childBounds() const {
  gw::Box box;
  for (const UIElement* child : children_) child->addBounds(box);
  return box;
}

void Group::addBounds(gw::Box& box) const {
  gw::Box own = childBounds();
  own.translate(x_, y_, z_);
  box.extend(own);
}

UIElement* Group::hitTest(gw::Point point) {
  const gw::Point local{point.x - x_, point.y - y_};
  for (UIElement* child : children_) {
    if (UIElement* hit = child->hitTest(local)) return hit;
  }
  return nullptr;
}

void Group::setOffset(float x, float y, float z) {
  window().requireTreeOpen("a group moved");
  x_ = x, y_ = y, z_ = z;
}

void Group::addChild(UIElement* child) {
  window().requireTreeOpen("a child added");
  if (child == nullptr || child == this) return;
  children_.push_back(child);
  child->parent_ = this;
}

}  // namespace TW
