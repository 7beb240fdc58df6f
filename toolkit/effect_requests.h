// What the controls ask of the eye candy. The effects implement these; the controls hold
// them as plain pointers the view hands them, and a null one simply asks nothing.
#pragma once

namespace TW {

// Thread: UI. A ripple of age 0 at (x, y) in absolute design units; colour is red,
// green, blue, peak alpha. Dropped when all ripples are running.
class RippleSink {
 public:
  virtual void addRipple(float x, float y, const float colour[4], float radius, float lifetime,
                         float growth) = 0;

 protected:
  ~RippleSink() = default;
};

// Thread: UI. A cube launched at (x, y) into the vortex; dropped when all are flying.
class CubeSink {
 public:
  virtual void addCube(float x, float y) = 0;

 protected:
  ~CubeSink() = default;
};

// The knob renderer's slots. addKnob, setKnobColour: Thread: UI while the view is built.
// setKnobGeometry: Thread: render (the knob's glInit). setKnobAngle: Thread: any.
class KnobSlots {
 public:
  // ±135°: the pointer's angle at either end of a knob's range.
  static constexpr float kAngleRange = 2.356194490192345f;
  // Radians clockwise from straight up for normalised value v: 0 at the middle.
  static constexpr float angleFor(float v) { return (2.0f * v - 1.0f) * kAngleRange; }

  virtual int addKnob() = 0;
  virtual void setKnobGeometry(int index, float centreX, float centreY, float radius) = 0;
  virtual void setKnobColour(int index, float red, float green, float blue, float alpha) = 0;
  virtual void setKnobAngle(int index, float angle) = 0;

 protected:
  ~KnobSlots() = default;
};

// Thread: render. Geometry with normals drawn between beginLit and endLit is lit by the
// knobs' lighting program when the driver has one, and shows its plain colours otherwise.
class LitSurface {
 public:
  virtual void beginLit() = 0;
  virtual void endLit() = 0;

 protected:
  ~LitSurface() = default;
};

// What a group hands on to the knobs and banks it creates. Not owned.
struct ControlEffects {
  KnobSlots& knobs;
  RippleSink* ripples = nullptr;
  CubeSink* vortex = nullptr;
  LitSurface* lighting = nullptr;
};

// Every ripple a control starts lives 2 s and grows 30 units a second.
constexpr float kRippleLifetime = 2.0f;
constexpr float kRippleGrowth = 30.0f;

}  // namespace TW
