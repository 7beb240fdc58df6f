#include "engine/envelope.h"

#include <cmath>

namespace gw {

namespace {

// A time of exactly this many seconds on a final release segment means "hold".
constexpr float kHoldTime = 5.0f;

constexpr Segment kHold{};

std::uint32_t sampleCount(double n) {
  // Times far outside the parameter range must neither wrap nor read as "unlimited".
  if (!(n < 4294967294.0)) return 4294967294u;
  return static_cast<std::uint32_t>(n);
}

}  // namespace

Segment makeSegment(float delta, float time, float shape, float sampleRate) {
  // The product in single precision, so that 0.01 s at 44100 Hz is exactly 441 samples.
  double n = time * sampleRate;
  if (!(n >= 1.0)) n = 1.0;
  const double h = 1.0 / n;
  const double d = delta;
  const double c = shape;
  const double o = d >= 0.0 ? c * d : (2.0 - c) * d;
  const double m = d >= 0.0 ? (1.0 - c) * d : (c - 1.0) * d;
  Segment s;
  s.increment = static_cast<float>(h * (o + m * h));
  s.curve = static_cast<float>(2.0 * m * h * h);
  s.remaining = sampleCount(n);
  return s;
}

LinearEnvelopeIds pwEnvelopeIds() {
  return {param::kPwEnvAttack, param::kPwEnvDecay, param::kPwEnvSustain, param::kPwEnvRelease,
          param::kVelocityPwEnvAmount};
}

LinearEnvelopeIds filterEnvelopeIds() {
  return {param::kFilterEnvAttack, param::kFilterEnvDecay, param::kFilterEnvSustain,
          param::kFilterEnvRelease, param::kVelocityFilterEnvAmount};
}

void startAmp(Envelope& env, ParamView p, float velocity, float sr) {
  env.stage = 4;
  env.sustainStage = 2;
  env.level = 0.0f;
  env.peak = velocityPeak(p[param::kVelocityEnvAmount], velocity);
  env.segments[4] = makeSegment(env.peak, p[param::kAttack], p[param::kAttackShape], sr);
  env.segments[3] = makeSegment(p[param::kSustain] * env.peak - env.peak, p[param::kDecay],
                                p[param::kDecayShape], sr);
}

void releaseAmp(Envelope& env, ParamView p, float sr) {
  env.stage = 1;
  env.segments[1] = makeSegment(-env.level, p[param::kRelease], p[param::kReleaseShape], sr);
}

float ampSustain(const Envelope& env, ParamView p) {
  return env.peak * p[param::kSustain];
}

void startHarmonic(Envelope& env, ParamView p, int e, float sr) {
  const float a1 = p[param::envLevelA1(e)];
  const float a2 = p[param::envLevelA2(e)];
  env.stage = 6;
  env.sustainStage = 3;
  env.level = 0.0f;
  env.peak = 1.0f;
  env.segments[6] = makeSegment(a1, p[param::envTimeA1(e)], p[param::envShapeA1(e)], sr);
  env.segments[5] = makeSegment(a2 - a1, p[param::envTimeA2(e)], p[param::envShapeA2(e)], sr);
  env.segments[4] = makeSegment(p[param::envSustain(e)] - a2, p[param::envTimeA3(e)],
                                p[param::envShapeA3(e)], sr);
}

void releaseHarmonic(Envelope& env, ParamView p, int e, float sr) {
  const float s = p[param::envSustain(e)];
  const float r = p[param::envLevelR1(e)];
  const float level = env.level;
  // A key let go before the level reached the sustain scales both release moves down.
  const float scale = (s > 0.001f && s > level) ? level / s : 1.0f;
  env.stage = 2;
  env.segments[2] =
      makeSegment(scale * r - scale * s, p[param::envTimeR1(e)], p[param::envShapeR1(e)], sr);
  const float timeR2 = p[param::envTimeR2(e)];
  env.segments[1] =
      timeR2 == kHoldTime ? kHold : makeSegment(-scale * r, timeR2, p[param::envShapeR2(e)], sr);
}

float harmonicSustain(ParamView p, int e) {
  return p[param::envSustain(e)];
}

void startLinear(Envelope& env, ParamView p, const LinearEnvelopeIds& ids, float velocity,
                 float sr) {
  env.stage = 4;
  env.sustainStage = 2;
  env.level = 0.0f;
  env.peak = velocityPeak(p[ids.velocityAmount], velocity);
  env.segments[4] = straightSegment(env.peak, p[ids.attack], sr);
  env.segments[3] = straightSegment(p[ids.sustain] * env.peak - env.peak, p[ids.decay], sr);
}

void releaseLinear(Envelope& env, ParamView p, const LinearEnvelopeIds& ids, float sr) {
  const float time = p[ids.release];
  env.stage = 1;
  env.segments[1] = time == kHoldTime ? kHold : straightSegment(-env.level, time, sr);
}

float linearSustain(const Envelope& env, ParamView p, const LinearEnvelopeIds& ids) {
  return env.peak * p[ids.sustain];
}

}  // namespace gw
