#include "toolkit/named_group.h"

#include <GL/gl.h>

#include "toolkit/button.h"
#include "toolkit/element_host.h"

namespace TW {

void NamedGroup::addBounds(gw::Box& box) const {
  gw::Box own = childBounds();
  if (!own.isEmpty()) {
    own.minX -= kMargin, own.minY -= kMargin;
    own.maxX += kMargin, own.maxY += kMargin;
  }
  own.translate(offsetX(), offsetY(), offsetZ());
  box.extend(own);
}

void NamedGroup::glInit() {
  const gw::Box box = absoluteBounds();
  if (box.isEmpty()) return;
  float titleWidth = 0.0f;
  gw::TextLabels* text = window().text();
  if (text != nullptr && text->hasFont()) {
    text->addText(title_, box.minX + kMargin, text->centredBaseline(box.maxY), colour_.data());
    titleWidth = text->textWidth(title_);
  }
  frame_ = {gw::Point{box.minX + kMargin, box.maxY},
            gw::Point{box.minX, box.maxY},
            gw::Point{box.minX, box.minY},
            gw::Point{box.maxX, box.minY},
            gw::Point{box.maxX, box.maxY},
            gw::Point{box.minX + kMargin + titleWidth, box.maxY}};
}

void NamedGroup::draw() {
  Group::draw();
  easeColour(colour_, target_);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4fv(colour_.data());
  glBegin(GL_LINE_STRIP);
  for (const gw::Point& p : frame_) glVertex2f(p.x, p.y);
  glEnd();
  glDisable(GL_BLEND);
}

}  // namespace TW
