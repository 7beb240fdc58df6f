// Shapes several elements draw alike. Thread: render.
#pragma once

#include <GL/gl.h>

#include "toolkit/geometry.h"

namespace TW {

// A green outline round the box: the plain button's and the plain multi-slider's.
inline void outlineBox(const gw::Box& box) {
  glColor3f(0.0f, 1.0f, 0.0f);
  glBegin(GL_LINE_LOOP);
  glVertex2f(box.minX, box.minY);
  glVertex2f(box.maxX, box.minY);
  glVertex2f(box.maxX, box.maxY);
  glVertex2f(box.minX, box.maxY);
  glEnd();
}

// The displays' curves: a smoothed, translucent white line strip in a translated and
// y-scaled frame; vertices go between the two calls.
inline void beginCurve(float x, float y, float scaleY) {
  glEnable(GL_LINE_SMOOTH);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glPushMatrix();
  glTranslatef(x, y, 0.0f);
  glScalef(1.0f, scaleY, 1.0f);
  glColor4f(1.0f, 1.0f, 1.0f, 0.75f);
  glBegin(GL_LINE_STRIP);
}

inline void endCurve() {
  glEnd();
  glPopMatrix();
  glDisable(GL_BLEND);
  glDisable(GL_LINE_SMOOTH);
}

}  // namespace TW
