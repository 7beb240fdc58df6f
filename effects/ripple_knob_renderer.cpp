#include "effects/ripple_knob_renderer.h"

#include <GL/glew.h>

#include <cassert>
#include <cmath>

#include "gfx/vertex_program.h"
#include "resources/resource_table.h"

namespace TW {

RippleKnobRenderer::Profile RippleKnobRenderer::buildProfile() {
  Profile profile{};
  for (int j = 0; j < kRimEntries; ++j) {
    const double theta = 2.0 * j * 0.3141592653589793;
    const float s = static_cast<float>(std::sin(theta));
    const float c = static_cast<float>(std::cos(theta));
    profile[j] = RimEntry{0.7f * s, 0.7f * c, 0.7f, s, c};
  }
  return profile;
}

void RippleKnobRenderer::writeKnob(const Profile& profile, const KnobRecord& record,
                                   KnobVertex* twelve) {
  const KnobRecord& k = record;
  twelve[0] =
      KnobVertex{k.red, k.green, k.blue, k.alpha, 0.0f, 0.0f, 1.0f, k.centreX, k.centreY, 0.0f};
  for (int j = 0; j < kRimEntries; ++j) {
    KnobVertex& v = twelve[1 + j];
    const bool pointer = j == 0 || j == kRimEntries - 1;
    v.red = pointer ? k.red : 0.5f * k.red;
    v.green = pointer ? k.green : 0.5f * k.green;
    v.blue = k.blue;
    v.alpha = pointer ? 0.75f * k.alpha : 0.0f;
  }
  rotateRim(profile, record, record.angle, twelve);
}

void RippleKnobRenderer::rotateRim(const Profile& profile, const KnobRecord& record, float angle,
                                   KnobVertex* twelve) {
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  const float r = record.radius;
  for (int j = 0; j < kRimEntries; ++j) {
    const RimEntry& e = profile[j];
    KnobVertex& v = twelve[1 + j];
    v.nx = e.nx * c + e.ny * s;
    v.ny = e.ny * c - e.nx * s;
    v.nz = e.nz;
    v.x = r * e.sinTheta * c + r * e.cosTheta * s + record.centreX;
    v.y = r * e.cosTheta * c - r * e.sinTheta * s + record.centreY;
    v.z = 0.0f;
  }
}

RippleKnobRenderer::Knob* RippleKnobRenderer::knob(int index) {
  if (index < 0 || index >= knobCount()) return nullptr;
  return &knobs_[static_cast<std::size_t>(index)];
}

int RippleKnobRenderer::addKnob() {
  const bool frozen = frozen_.load(std::memory_order_acquire);
  assert(!frozen && "knobs are added before the renderer's GL set-up");
  if (frozen) return -1;
  knobs_.emplace_back();
  return knobCount() - 1;
}

void RippleKnobRenderer::setKnobGeometry(int index, float centreX, float centreY, float radius) {
  Knob* k = knob(index);
  if (k == nullptr) return;
  k->record.centreX = centreX;
  k->record.centreY = centreY;
  k->record.radius = radius;
  if (index < knobsInArray()) writeKnob(profile_, k->record, &vertices_[kVerticesPerKnob * index]);
}

void RippleKnobRenderer::setKnobColour(int index, float red, float green, float blue, float alpha) {
  Knob* k = knob(index);
  if (k == nullptr) return;
  k->record.red = red;
  k->record.green = green;
  k->record.blue = blue;
  k->record.alpha = alpha;
  if (index < knobsInArray()) writeKnob(profile_, k->record, &vertices_[kVerticesPerKnob * index]);
}

void RippleKnobRenderer::setKnobAngle(int index, float angle) {
  Knob* k = knob(index);
  if (k == nullptr || !std::isfinite(angle)) return;
  k->requested.store(angle, std::memory_order_relaxed);
}

float RippleKnobRenderer::knobAngle(int index) const {
  if (index < 0 || index >= knobCount()) return 0.0f;
  return knobs_[static_cast<std::size_t>(index)].requested.load(std::memory_order_relaxed);
}

void RippleKnobRenderer::glSetUp() {
  frozen_.store(true, std::memory_order_release);
  if (GLEW_ARB_vertex_program) {
    // A program that does not compile is reported and left out: the knobs then show
    // unlit rather than through a program in an undefined state.
    program_ = gw::loadVertexProgram(gw::resources::kTypeVertexProgram,
                                     gw::resources::kKnobVertexProgramId)
                   .name;
  }
  vertices_.assign(knobs_.size() * kVerticesPerKnob, KnobVertex{});
  for (int i = 0; i < knobsInArray(); ++i) {
    Knob& k = knobs_[static_cast<std::size_t>(i)];
    k.record.angle = k.requested.load(std::memory_order_relaxed);
    writeKnob(profile_, k.record, &vertices_[kVerticesPerKnob * i]);
  }
}

void RippleKnobRenderer::draw2D() {
  if (vertices_.empty()) {
    programUsed_.store(false, std::memory_order_relaxed);
    return;
  }
  // Only knobs whose angle changed since the last frame are turned.
  const int knobs = knobsInArray();
  for (int i = 0; i < knobs; ++i) {
    Knob& k = knobs_[static_cast<std::size_t>(i)];
    const float angle = k.requested.load(std::memory_order_relaxed);
    if (angle == k.record.angle) continue;
    k.record.angle = angle;
    rotateRim(profile_, k.record, angle, &vertices_[kVerticesPerKnob * i]);
  }

  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_BLEND);
  beginLit();
  glInterleavedArrays(GL_C4F_N3F_V3F, 0, vertices_.data());
  for (int i = 0; i < knobs; ++i) {
    glDrawArrays(GL_TRIANGLE_FAN, kVerticesPerKnob * i, kVerticesPerKnob);
  }
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  endLit();
  glDisable(GL_BLEND);
  programUsed_.store(program_ != 0, std::memory_order_relaxed);
}

void RippleKnobRenderer::beginLit() {
  if (program_ == 0) return;
  glBindProgramARB(GL_VERTEX_PROGRAM_ARB, program_);
  glEnable(GL_VERTEX_PROGRAM_ARB);
}

void RippleKnobRenderer::endLit() {
  if (program_ == 0) return;
  glDisable(GL_VERTEX_PROGRAM_ARB);
  glBindProgramARB(GL_VERTEX_PROGRAM_ARB, 0);
}

void RippleKnobRenderer::glRelease() {
  if (program_ != 0) glDeleteProgramsARB(1, &program_);
  program_ = 0;
}

}  // namespace TW
