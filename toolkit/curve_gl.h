// The displays' curves: a smoothed, translucent white line strip in a translated and
// y-scaled frame. Thread: render.
#pragma once

#include <GL/gl.h>

namespace TW {

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
