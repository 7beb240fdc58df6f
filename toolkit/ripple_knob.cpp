#include "toolkit/ripple_knob.h"

#include "toolkit/element_host.h"

namespace TW {
namespace {

// The parameter table's unit codes that choose a knob's colour.
constexpr int kUnitSeconds = 4;
constexpr int kUnitMilliseconds = 24;
constexpr int kUnitHertz = 8;
constexpr int kUnitRelativeSemitones = 10;
constexpr int kUnitLinearGain = 14;

}  // namespace

std::array<float, 4> knobColour(int unit) {
  switch (unit) {
    case kUnitSeconds:
    case kUnitMilliseconds:
      return {0.8f, 0.1f, 0.9f, 1.0f};
    case kUnitHertz:
      return {0.2f, 0.2f, 0.9f, 1.0f};
    case kUnitRelativeSemitones:
      return {0.0f, 0.5f, 1.0f, 1.0f};
    case kUnitLinearGain:
      return {1.0f, 0.2f, 0.2f, 1.0f};
    default:
      return {0.0f, 1.0f, 0.0f, 1.0f};
  }
}

RippleKnob::RippleKnob(gw::ElementHost& window, int parameter, KnobSlots& renderer,
                       RippleSink* ripples, CubeSink* vortex, float x, float y, float size)
    : Knob(window, parameter, gw::Box::of(x, y, x + size, y + size)),
      renderer_(renderer),
      ripples_(ripples),
      vortex_(vortex),
      slot_(renderer.addKnob()),
      colour_(knobColour(record_.unit)) {
  // Semitone knobs move in whole semitones.
  if (record_.unit == kUnitRelativeSemitones) stepped_ = true;
  renderer_.setKnobAngle(slot_, 0.0f);
  renderer_.setKnobColour(slot_, colour_[0], colour_[1], colour_[2], colour_[3]);
}

void RippleKnob::ripple(float alphaScale) {
  if (ripples_ == nullptr) return;
  const gw::Box box = absoluteBounds();
  const gw::Point centre = box.centre();
  const float colour[4] = {colour_[0], colour_[1], colour_[2], colour_[3] * alphaScale};
  ripples_->addRipple(centre.x, centre.y, colour, (box.maxX - centre.x) / 2, kRippleLifetime,
                      kRippleGrowth);
}

void RippleKnob::mouseDown(gw::Point point, std::uint32_t modifiers) {
  ripple(1.0f);
  if (vortex_ != nullptr) {
    const gw::Point centre = absoluteBounds().centre();
    vortex_->addCube(centre.x, centre.y);
  }
  Knob::mouseDown(point, modifiers);
}

void RippleKnob::mouseEnter() {
  ripple(0.5f);
  Knob::mouseEnter();
}

void RippleKnob::updateValue(const gw::ParameterDisplayRecord& record, float value) {
  Knob::updateValue(record, value);
  renderer_.setKnobAngle(slot_, KnobSlots::angleFor(this->value()));
}

void RippleKnob::glInit() {
  const gw::Box box = absoluteBounds();
  const gw::Point centre = box.centre();
  renderer_.setKnobGeometry(slot_, centre.x, centre.y, box.maxX - centre.x);
}

}  // namespace TW
