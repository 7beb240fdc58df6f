// Everything the render thread animates or draws outside the element tree. Effects are
// owned by the render window, stepped once per frame and drawn in its two passes.
#pragma once

namespace TW {

class Effect {
 public:
  // Every effect advances by this much per step, whatever the frame took.
  static constexpr float kStepSeconds = 1.0f / 30.0f;

  Effect() = default;
  virtual ~Effect() = default;
  Effect(const Effect&) = delete;
  Effect& operator=(const Effect&) = delete;

  // All: Thread: render. Draws must leave the GL state as they found it.
  virtual void step() {}
  virtual void draw2D() {}
  virtual void draw3D() {}
  virtual void glSetUp() {}
  virtual void glRelease() {}
};

}  // namespace TW
