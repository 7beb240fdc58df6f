// The view's rotary knob: the knob gesture, drawn by the shared knob renderer as a lit
// disc in a colour chosen by the parameter's unit, rippling on hover and press.
#pragma once

#include <array>

#include "toolkit/control.h"
#include "toolkit/effect_requests.h"

namespace TW {

// Time units violet, frequencies blue, semitones light blue, gains red, the rest green.
std::array<float, 4> knobColour(int unit);

class RippleKnob : public Knob {
 public:
  // A square knob of side size at (x, y). Takes its renderer slot at once.
  RippleKnob(gw::ElementHost& window, int parameter, KnobSlots& renderer, RippleSink* ripples,
             CubeSink* vortex, float x, float y, float size);

  void mouseDown(gw::Point point, std::uint32_t modifiers) override;
  void mouseEnter() override;
  void updateValue(const gw::ParameterDisplayRecord& record, float value) override;
  void glInit() override;

  int slot() const { return slot_; }
  const std::array<float, 4>& colour() const { return colour_; }

 private:
  void ripple(float alphaScale);

  KnobSlots& renderer_;
  RippleSink* ripples_;
  CubeSink* vortex_;
  int slot_;
  std::array<float, 4> colour_;
};

}  // namespace TW
