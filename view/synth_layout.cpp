#include "view/synth_layout.h"

#include "params/parameter_ids.h"
#include "toolkit/additive_waveform.h"
#include "toolkit/envelope_groups.h"
#include "toolkit/multi_slider.h"
#include "toolkit/ripple_knob.h"

namespace gw {
namespace {

using TW::kKnobPitch;
using TW::kKnobSize;

constexpr float kGap = 10.0f;  // between neighbouring frames
constexpr float kEdge = 20.0f;

struct Builder {
  ElementHost& host;
  const TW::ControlEffects& effects;

  TW::NamedGroup& titled(const char* title) { return host.create<TW::NamedGroup>(title); }
  void knob(TW::Group& group, int index, float x, float y, float size = kKnobSize) {
    group.addChild(&host.create<TW::RippleKnob>(index, effects.knobs, effects.ripples,
                                                effects.vortex, x, y, size));
  }
};

Box frame(const TW::UIElement& element) {
  Box box;
  element.addBounds(box);
  return box;
}
float width(const TW::UIElement& element) {
  const Box box = frame(element);
  return box.maxX - box.minX;
}
float height(const TW::UIElement& element) {
  const Box box = frame(element);
  return box.maxY - box.minY;
}

// A column of four knobs of size s at pitch 1.1·s fills height − 20 (the margins):
// 3 · 1.1 · s + s = 4.3 · s.
float columnKnobSize(float height) {
  return (height - 2 * TW::NamedGroup::kMargin) / 4.3f;
}

struct ButtonPlace {
  const char* label;
  int id;
  float y;
};
constexpr ButtonPlace kButtons[] = {
    {"Prefs", kPrefsCommand, 10.0f},  {"Sqr", kSquareCommand, 50.0f},
    {"Tri", kTriangleCommand, 77.5f}, {"Saw", kSawCommand, 105.0f},
    {"Sin", kSineCommand, 132.5f},
};

}  // namespace

void buildSynthLayout(ElementHost& host, const TW::ControlEffects& effects,
                      TW::Button::Command command, void* context) {
  Builder b{host, effects};

  auto& modulation = b.titled("Modulation");
  for (int i = 0; i < 9; ++i) b.knob(modulation, param::kModulationOnOff + i, 20.0f * i, 0.0f);

  auto& levels = b.titled("Levels");
  auto& levelBank = host.create<TW::LevelsMultiSlider>(param::level(1));
  levelBank.setEffects(effects.ripples, effects.vortex, effects.lighting);
  levels.addChild(&levelBank);

  auto& envSelect = b.titled("Env Select");
  auto& selectBank = host.create<TW::EnvSelMultiSlider>(param::envSelect(1));
  selectBank.setEffects(effects.ripples, effects.vortex, effects.lighting);
  envSelect.addChild(&selectBank);

  auto& amplitude = host.create<TW::AdsrGroup>(effects);

  auto& pulseWidth = b.titled("PulseWidth");
  const int pwKnobs[] = {param::kPulseWidth, param::kPwLfoSpeed, param::kPwLfoAmount,
                         param::kPwEnvAmount};
  for (int i = 0; i < 4; ++i) b.knob(pulseWidth, pwKnobs[i], kKnobPitch * i, 0.0f);
  auto& pwEnvelope = host.create<TW::AdsrGroupNoShape>(effects, param::kPwEnvAttack);
  pwEnvelope.setOffset(0.0f, kKnobPitch);
  pulseWidth.addChild(&pwEnvelope);

  TW::EnvGroup* envelopes[3];
  static constexpr const char* kEnvTitles[] = {"Env 1", "Env 2", "Env 3"};
  for (int e = 0; e < 3; ++e) {
    envelopes[e] = &host.create<TW::EnvGroup>(kEnvTitles[e], effects, param::envBase(e + 1));
  }

  auto& filterMod = b.titled("Filter Mod");
  const int filterModKnobs[] = {param::kFilterLfoSpeed, param::kFilterLfoAmount,
                                param::kFilterLfoTypeAmount, param::kFilterEnvAmount};
  for (int i = 0; i < 4; ++i) b.knob(filterMod, filterModKnobs[i], kKnobPitch * i, 0.0f);
  auto& filterEnvelope = host.create<TW::AdsrGroupNoShape>(effects, param::kFilterEnvAttack);
  filterEnvelope.setOffset(0.0f, kKnobPitch);
  filterMod.addChild(&filterEnvelope);

  // The filter's column fills the height of "Filter Mod" beside it.
  auto& filter = b.titled("Filter");
  const float fs = columnKnobSize(height(filterMod));
  const float fp = 1.1f * fs;
  b.knob(filter, param::kFilterCutoff, 0.0f, 3 * fp, fs);
  b.knob(filter, param::kFilterQ, 0.0f, 2 * fp, fs);
  b.knob(filter, param::kFilterType, 0.0f, fp, fs);
  b.knob(filter, param::kFilterKbTrack, 0.0f, 0.0f, fs);

  // The LFO columns are sized as if four knobs filled 5.4 pitches.
  const float ls = columnKnobSize(kKnobPitch * 5.4f);
  const float lp = 1.1f * ls;
  auto& lfoSpeeds = b.titled("LFO Speeds");
  for (int n = 1; n <= 4; ++n) {
    const float x = (n - 1) * lp;
    b.knob(lfoSpeeds, param::lfoKbTrack(n), x, 0.0f, ls);
    b.knob(lfoSpeeds, param::lfoSpeed(n), x, lp, ls);
    b.knob(lfoSpeeds, param::lfoMultiplier(n), x, 2 * lp, ls);
  }
  auto& lfoEffects = b.titled("LFO Effects");
  for (int n = 1; n <= 4; ++n) {
    const float x = (n - 1) * lp;
    b.knob(lfoEffects, param::lfoAmount(n), x, lp, ls);
    b.knob(lfoEffects, param::lfoOffset(n), x, 2 * lp, ls);
  }

  auto& velocity = b.titled("Velocity");
  for (int i = 0; i < 5; ++i) b.knob(velocity, param::kVelocityEnvAmount + i, kKnobPitch * i, 0.0f);

  auto& misc = b.titled("Misc");
  b.knob(misc, param::kVolume, 0.0f, 3 * kKnobPitch);
  b.knob(misc, param::kPitchWheelRange, 0.0f, 2 * kKnobPitch);
  b.knob(misc, param::kCoarseTune, 0.0f, kKnobPitch);
  b.knob(misc, param::kFineTune, 0.0f, 0.0f);

  // Offsets, each from frames already laid out: a neighbour starts 10 units after the
  // offset plus the frame's size of the group before it.
  const auto rightOf = [](const TW::Group& g) { return g.offsetX() + width(g) + kGap; };
  const auto above = [](const TW::Group& g) { return g.offsetY() + height(g) + kGap; };
  levels.setOffset(kEdge, kEdge);
  envSelect.setOffset(kEdge, height(levels) + 30.0f);
  const float bankRight = kEdge + width(envSelect);
  modulation.setOffset(bankRight + kGap, kEdge);
  const float row2 = above(envSelect);
  const float waveformY = height(modulation) + kEdge;
  auto& waveform =
      host.create<TW::AdditiveWaveform>(bankRight, waveformY, row2 - waveformY - kEdge);

  amplitude.setOffset(kEdge, row2);
  pulseWidth.setOffset(rightOf(amplitude), row2);
  filterMod.setOffset(rightOf(pulseWidth), row2);
  filter.setOffset(rightOf(filterMod), row2);

  const float row3 = above(amplitude);
  float x = kEdge;
  for (TW::EnvGroup* envelope : envelopes) {
    envelope->setOffset(x, row3);
    x = rightOf(*envelope);
  }
  const float top = above(*envelopes[2]);
  lfoSpeeds.setOffset(x, top - (height(lfoSpeeds) + kGap));
  lfoEffects.setOffset(x, lfoSpeeds.offsetY() - (height(lfoEffects) + 34.0f));
  velocity.setOffset(x, row2);
  misc.setOffset(rightOf(lfoSpeeds), top - (height(misc) + kGap));

  TW::Group& root = host.root();
  root.addChild(&modulation);
  root.addChild(&levels);
  root.addChild(&envSelect);
  root.addChild(&waveform);
  root.addChild(&amplitude);
  root.addChild(&pulseWidth);
  for (TW::EnvGroup* envelope : envelopes) root.addChild(envelope);
  const float buttonX = waveform.box().maxX + kGap;
  for (const ButtonPlace& place : kButtons) {
    root.addChild(&host.create<TW::RippleButton>(place.label, command, context, buttonX, place.y,
                                                 place.id, effects.ripples, effects.vortex));
  }
  root.addChild(&filterMod);
  root.addChild(&filter);
  root.addChild(&lfoSpeeds);
  root.addChild(&lfoEffects);
  root.addChild(&velocity);
  root.addChild(&misc);
}

}  // namespace gw
