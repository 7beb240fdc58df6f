#include "toolkit/envelope_groups.h"

#include "params/parameter_ids.h"
#include "toolkit/element_host.h"
#include "toolkit/ripple_knob.h"

namespace TW {
namespace {

struct KnobPlace {
  int offset;  // from the group's first parameter
  float x, y;
};

template <std::size_t N>
void addKnobs(Group& group, const ControlEffects& effects, int first,
              const KnobPlace (&places)[N]) {
  for (const KnobPlace& place : places) {
    group.addChild(&group.window().create<RippleKnob>(first + place.offset, effects.knobs,
                                                      effects.ripples, effects.vortex, place.x,
                                                      place.y, kKnobSize));
  }
}

constexpr float kP = kKnobPitch;

// Times A1..R2, shapes A1..R2, levels A1, A2, sustain, R1.
constexpr KnobPlace kEnvKnobs[] = {
    {0, 0, 2 * kP},      {1, kP, 2 * kP},     {2, 2 * kP, 2 * kP}, {3, 3 * kP, 2 * kP},
    {4, 4 * kP, 2 * kP}, {5, 0, 0},           {6, kP, 0},          {7, 2 * kP, 0},
    {8, 3 * kP, 0},      {9, 4 * kP, 0},      {10, kP / 2, kP},    {11, 1.5f * kP, kP},
    {12, 2.5f * kP, kP}, {13, 3.5f * kP, kP},
};

// Attack, decay, release; their shapes; sustain.
constexpr KnobPlace kAdsrKnobs[] = {
    {0, 0, kP}, {1, kP, kP},    {2, 3 * kP, kP}, {3, 0, 0},
    {4, kP, 0}, {5, 3 * kP, 0}, {7, 2 * kP, kP},
};

// Attack, decay, release, sustain.
constexpr KnobPlace kAdsrNoShapeKnobs[] = {{0, 0, 0}, {1, kP, 0}, {2, 3 * kP, 0}, {7, 2 * kP, 0}};

// Positions in a three-stage display's values: stage shapes from 3, first target from 6.
constexpr int kAdsrShapes = 3;
constexpr int kAdsrAttackLevel = 6;

}  // namespace

EnvGroup::EnvGroup(gw::ElementHost& window, const char* title, const ControlEffects& effects,
                   int first)
    : NamedGroup(window, title) {
  addKnobs(*this, effects, first, kEnvKnobs);
  display_ = &window.create<EnvDisplay>(first, 3, 2, 3 * kP, 110.0f, 20.0f, 5.0f);
  addChild(display_);
}

AdsrGroup::AdsrGroup(gw::ElementHost& window, const ControlEffects& effects)
    : NamedGroup(window, "Amplitude") {
  addKnobs(*this, effects, gw::param::kAttack, kAdsrKnobs);
  // A Tmax no time can equal: every stage is drawn.
  display_ = &window.create<EnvDisplay>(gw::param::kAttack, 2, 1, 2 * kP, 88.0f, 40.0f, -1.0f);
  display_->setValue(kAdsrAttackLevel, 1.0f);
  addChild(display_);
}

AdsrGroupNoShape::AdsrGroupNoShape(gw::ElementHost& window, const ControlEffects& effects,
                                   int first)
    : Group(window) {
  addKnobs(*this, effects, first, kAdsrNoShapeKnobs);
  display_ = &window.create<EnvDisplay>(first, 2, 1, kP, 88.0f, 40.0f, 5.0f);
  // These envelopes have no shape parameters: straight stages, and a full-level attack.
  for (int i = 0; i < 3; ++i) display_->setValue(kAdsrShapes + i, 1.0f);
  display_->setValue(kAdsrAttackLevel, 1.0f);
  addChild(display_);
}

}  // namespace TW
