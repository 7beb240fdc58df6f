// Drawing of the multi-sliders (render thread): values are read once per bar from the
// atomics the UI thread publishes.
#include <GL/gl.h>

#include <cmath>

#include "toolkit/gl_shapes.h"
#include "toolkit/multi_slider.h"

namespace TW {
namespace {

// Lower left, lower right, upper right, upper left: the normals tilt each corner outwards
// so that the lighting rounds the bar.
constexpr float kNormals[4][3] = {
    {-0.6f, -0.6f, 0.6f}, {0.6f, -0.6f, 0.6f}, {0.6f, 0.6f, 0.6f}, {-0.6f, 0.6f, 0.6f}};

void litQuad(const Colour& colour, float x0, float y0, float x1, float y1) {
  glColor4fv(colour.data());
  const float corners[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
  for (int c = 0; c < 4; ++c) {
    glNormal3fv(kNormals[c]);
    glVertex2f(corners[c][0], corners[c][1]);
  }
}

}  // namespace

void RippleMultiSlider::beginBars() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  if (lighting_ != nullptr) lighting_->beginLit();
  glBegin(GL_QUADS);
}

void RippleMultiSlider::endBars() {
  glEnd();
  if (lighting_ != nullptr) lighting_->endLit();
  glDisable(GL_BLEND);
}

void MultiSlider::draw() {
  const gw::Box& b = box_;
  outlineBox(b);
  glColor3f(1.0f, 1.0f, 0.0f);
  glBegin(GL_POINTS);
  for (int i = 0; i < kCount; ++i)
    glVertex2f(barCentre(b, i), b.minY + value(i) * (b.maxY - b.minY));
  glEnd();
}

void LevelsMultiSlider::draw() {
  const gw::Box& b = box_;
  const float w = b.maxX - b.minX;
  const float h = b.maxY - b.minY;
  const float zero = b.minY + h / 2;
  const float half = w / kCount * 0.4f;
  beginBars();
  for (int i = 0; i < kCount; ++i) {
    const float v = value(i);
    const float xc = barCentre(b, i);
    float top = b.minY + v * h;
    // A zero level still shows a sliver above the line.
    if (std::fabs(top - zero) < 1.0f) top = zero + 1.0f;
    litQuad(barColour(v), xc - half, zero, xc + half, top);
  }
  endBars();
}

void EnvSelMultiSlider::draw() {
  const gw::Box& b = box_;
  const float w = b.maxX - b.minX;
  const float h = b.maxY - b.minY;
  const float halfW = w / kCount * 0.4f;
  const float halfH = h * 0.125f;
  beginBars();
  for (int i = 0; i < kCount; ++i) {
    const float v = value(i);
    const float xc = barCentre(b, i);
    const float yc = b.minY + v * h;
    litQuad(blockColour(v), xc - halfW, yc - halfH, xc + halfW, yc + halfH);
  }
  endBars();
}

}  // namespace TW
