// Segment envelopes: a level stepped by a running increment that itself moves by a
// constant curve, so every segment is a parabola (a straight line for shape 1).
#pragma once

#include <array>
#include <cstdint>

#include "params/param_view.h"

namespace gw {

struct Segment {
  float increment = 0.0f;                // added to the level at the next sample; runs while active
  float curve = 0.0f;                    // added to the increment after every sample
  std::uint32_t remaining = kUnlimited;  // samples left

  static constexpr std::uint32_t kUnlimited = 0xFFFFFFFFu;
};
static_assert(sizeof(Segment) == 12);

// Stages count down to 0 (the end). Five-segment envelopes: 4 attack, 3 decay,
// 2 sustain, 1 release. Seven-segment ones: 6..4 A1..A3, 3 sustain, 2 R1, 1 R2.
// The sustain and end segments stay (0, 0, unlimited) for life.
struct Envelope {
  std::int32_t stage = 0;
  std::int32_t sustainStage = 2;
  float level = 0.0f;
  float peak = 0.0f;
  std::array<Segment, 7> segments{};

  const Segment& current() const { return segments[stage]; }
  Segment& current() { return segments[stage]; }
};

// Moves the level by delta over time seconds (at least one sample) with shape 0..1.
Segment makeSegment(float delta, float time, float shape, float sampleRate);
inline Segment straightSegment(float delta, float time, float sampleRate) {
  return makeSegment(delta, time, 1.0f, sampleRate);
}

// Peak level for velocity v (0..1) and the envelope's velocity amount (-1..1).
inline float velocityPeak(float amount, float velocity) {
  return 1.0f + amount * velocity - (amount > 0.0f ? amount : 0.0f);
}

// Parameter indices of the pulse-width and filter envelopes, which share one shape.
struct LinearEnvelopeIds {
  int attack, decay, sustain, release, velocityAmount;
};
LinearEnvelopeIds pwEnvelopeIds();
LinearEnvelopeIds filterEnvelopeIds();

void startAmp(Envelope& env, ParamView params, float velocity, float sampleRate);
void releaseAmp(Envelope& env, ParamView params, float sampleRate);
float ampSustain(const Envelope& env, ParamView params);

// e = 1..3.
void startHarmonic(Envelope& env, ParamView params, int e, float sampleRate);
void releaseHarmonic(Envelope& env, ParamView params, int e, float sampleRate);
float harmonicSustain(ParamView params, int e);

void startLinear(Envelope& env, ParamView params, const LinearEnvelopeIds& ids, float velocity,
                 float sampleRate);
void releaseLinear(Envelope& env, ParamView params, const LinearEnvelopeIds& ids, float sampleRate);
float linearSustain(const Envelope& env, ParamView params, const LinearEnvelopeIds& ids);

}  // namespace gw
