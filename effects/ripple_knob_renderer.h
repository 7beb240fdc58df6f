// Draws every rotary knob as a lit, glowing disc whose bright pointer wedge turns with its
// value: all knobs in one interleaved vertex array, one triangle fan of 12 vertices each,
// lit by the knob vertex program where the driver offers ARB vertex programs.
#pragma once

#include <array>
#include <atomic>
#include <deque>
#include <span>
#include <vector>

#include "effects/effect.h"
#include "toolkit/effect_requests.h"

namespace TW {

// One vertex as GL_C4F_N3F_V3F lays it out.
struct KnobVertex {
  float red, green, blue, alpha;
  float nx, ny, nz;
  float x, y, z;
};
static_assert(sizeof(KnobVertex) == 40);

struct KnobRecord {
  float red = 0.0f, green = 0.0f, blue = 0.0f, alpha = 0.0f;
  float centreX = 0.0f, centreY = 0.0f;  // window pixels
  float radius = 0.0f;                   // pixels
  float angle = 0.0f;                    // radians, clockwise from straight up
};

class RippleKnobRenderer : public Effect, public KnobSlots, public LitSurface {
 public:
  static constexpr int kRimEntries = 11;
  static constexpr int kVerticesPerKnob = 1 + kRimEntries;

  // Rim entry j: (0.7 sin θ, 0.7 cos θ, 0.7, sin θ, cos θ), θ = 2j·π/10; entry 10 closes
  // the circle. The normals tilt outwards at 45° so the lights shade the disc as a dome.
  struct RimEntry {
    float nx, ny, nz;
    float sinTheta, cosTheta;
  };
  using Profile = std::array<RimEntry, kRimEntries>;
  static Profile buildProfile();

  // A knob's 12 vertices: the centre in the knob's colour, the rim transparent but for the
  // pointer (entries 0 and 10), the rim turned by record.angle.
  static void writeKnob(const Profile& profile, const KnobRecord& record, KnobVertex* twelve);
  // Turns the rim vertices of twelve to angle from the profile; colours and the centre
  // vertex stay as they are.
  static void rotateRim(const Profile& profile, const KnobRecord& record, float angle,
                        KnobVertex* twelve);

  RippleKnobRenderer() : profile_(buildProfile()) {}

  // Thread: UI, while the view is built. Appends a knob (colour 0, angle 0) and returns
  // its index. Knobs must all exist before the renderer's GL set-up, since the vertex
  // array is made then: a later call is a programming error (asserts; -1 without asserts).
  int addKnob() override;
  // Thread: UI before the render thread starts, or render (a knob's glInit). Later calls
  // from the UI thread would race the drawing. Unknown indices are ignored.
  void setKnobGeometry(int index, float centreX, float centreY, float radius) override;
  void setKnobColour(int index, float red, float green, float blue, float alpha) override;
  // Thread: any. Published to the render thread, which turns that knob's rim at its next
  // draw; a non-finite angle or an unknown index is ignored.
  void setKnobAngle(int index, float angle) override;

  // Thread: UI while the view is built, or render.
  int knobCount() const { return static_cast<int>(knobs_.size()); }
  // Thread: any. The angle last set.
  float knobAngle(int index) const;

  void draw2D() override;
  // The level bars share the knobs' lighting.
  void beginLit() override;
  void endLit() override;
  void glSetUp() override;
  void glRelease() override;

  // Thread: render. The GL program name, 0 when the knobs are drawn unlit.
  unsigned program() const { return program_; }
  // Thread: any. Whether the last draw had the vertex program bound and enabled.
  bool vertexProgramEnabledLastFrame() const {
    return programUsed_.load(std::memory_order_relaxed);
  }
  // Thread: render. Empty until GL set-up, then 12 vertices a knob.
  std::span<const KnobVertex> vertices() const { return vertices_; }

 private:
  struct Knob {
    KnobRecord record;  // record.angle: the angle the vertices show (render thread)
    std::atomic<float> requested{0.0f};
  };
  Knob* knob(int index);
  // The knobs the vertex array was made for: a knob added late never reaches it.
  int knobsInArray() const { return static_cast<int>(vertices_.size()) / kVerticesPerKnob; }

  Profile profile_;
  // A deque, so adding a knob never moves the atomics of the others.
  std::deque<Knob> knobs_;
  std::vector<KnobVertex> vertices_;
  unsigned program_ = 0;
  std::atomic<bool> frozen_{false};
  std::atomic<bool> programUsed_{false};
};

}  // namespace TW
