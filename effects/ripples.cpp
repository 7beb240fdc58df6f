#include "effects/ripples.h"

#include <GL/gl.h>

#include <cmath>

#include "effects/eye_candy.h"
#include "gfx/texture.h"

namespace TW {

void Ripples::addRipple(float x, float y, const float colour[4], float radius, float lifetime,
                        float growth) {
  if (colour == nullptr) return;
  // A lifetime that is not a positive number would hold its slot for ever.
  if (!(lifetime > 0.0f) || !std::isfinite(lifetime + x + y + radius + growth)) return;
  Ripple request;
  request.x = x;
  request.y = y;
  request.red = colour[0];
  request.green = colour[1];
  request.blue = colour[2];
  request.alpha = colour[3];
  request.radius = radius;
  request.lifetime = lifetime;
  request.growth = growth;
  requests_.push(request);
}

void Ripples::land(const Ripple& request) {
  if (count_ >= kSlots) return;
  ripples_[count_] = request;
  ripples_[count_].age = 0.0f;
  ++count_;
}

void Ripples::step() {
  requests_.drain([this](const Ripple& request) { land(request); });
  if (!eyeCandyOn()) return;
  ageSlots(ripples_.data(), count_,
           [](Ripple& ripple) { ripple.radius += ripple.growth * kStepSeconds; });
}

float Ripples::envelope(float age, float lifetime) {
  const float h = age / lifetime * 6.0f;
  return h <= 1.0f ? h : 1.2f - 0.2f * h;
}

void Ripples::writeQuad(const Ripple& ripple, RippleVertex* four) {
  const float alpha = ripple.alpha * envelope(ripple.age, ripple.lifetime);
  const float r = ripple.radius;
  const float corners[4][4] = {
      {0.0f, 0.0f, -r, -r}, {0.0f, 1.0f, r, -r}, {1.0f, 1.0f, r, r}, {1.0f, 0.0f, -r, r}};
  for (int k = 0; k < 4; ++k) {
    four[k] = RippleVertex{corners[k][0],
                           corners[k][1],
                           ripple.red,
                           ripple.green,
                           ripple.blue,
                           alpha,
                           ripple.x + corners[k][2],
                           ripple.y + corners[k][3],
                           0.0f};
  }
}

void Ripples::draw2D() {
  if (!eyeCandyOn() || count_ == 0) return;
  for (int i = 0; i < count_; ++i) writeQuad(ripples_[i], &quads_[4 * i]);

  glBindTexture(GL_TEXTURE_2D, texture_ != nullptr ? texture_->name() : 0);
  glEnable(GL_TEXTURE_2D);
  glAlphaFunc(GL_GREATER, 0.0f);
  glEnable(GL_ALPHA_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_BLEND);

  constexpr GLsizei kStride = sizeof(RippleVertex);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glEnableClientState(GL_VERTEX_ARRAY);
  glTexCoordPointer(2, GL_FLOAT, kStride, &quads_[0].s);
  glColorPointer(4, GL_FLOAT, kStride, &quads_[0].red);
  glVertexPointer(3, GL_FLOAT, kStride, &quads_[0].x);
  glDrawArrays(GL_QUADS, 0, 4 * count_);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);

  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace TW
