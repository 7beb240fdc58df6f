#include "engine/voice.h"

#include <algorithm>
#include <cmath>

namespace gw {

double noteIncrement(std::int32_t note, float sampleRate) {
  // ln 2 / 12: one semitone as a natural exponent.
  return 440.0 * std::exp((note - 69) * 0.057762265046662105) * (1.0 / sampleRate);
}

void startVoice(Voice& v, std::int32_t note, float velocity, ParamView p, float sr) {
  v.note = note;
  v.velocity = velocity;
  startAmp(v.ampEnvelope, p, velocity, sr);
  for (int e = 0; e < 3; ++e) startHarmonic(v.harmonicEnvelope[e], p, e + 1, sr);
  startLinear(v.pwEnvelope, p, pwEnvelopeIds(), velocity, sr);
  startLinear(v.filterEnvelope, p, filterEnvelopeIds(), velocity, sr);
  v.phase = Float4();
  v.baseIncrement = Float4::splat(static_cast<float>(noteIncrement(note, sr)));
  v.lfoSin = Float4();
  v.lfoCos = Float4::splat(1.0f);
  v.pwLfoSin = 0.0f;
  v.pwLfoCos = 1.0f;
  v.filterLow = 0.0f;
  v.filterHigh = 0.0f;
  v.filterBand = 0.0f;
}

void releaseVoice(Voice& v, ParamView p, float sr) {
  releaseAmp(v.ampEnvelope, p, sr);
  for (int e = 0; e < 3; ++e) releaseHarmonic(v.harmonicEnvelope[e], p, e + 1, sr);
  releaseLinear(v.pwEnvelope, p, pwEnvelopeIds(), sr);
  releaseLinear(v.filterEnvelope, p, filterEnvelopeIds(), sr);
}

void fadeOut(Voice& v, std::uint32_t samples) {
  Envelope& amp = v.ampEnvelope;
  samples = std::max(samples, 1u);
  amp.stage = 1;  // the release stage, which ends the voice
  // A whole number of samples, so the line ends at silence rather than a step above it.
  amp.segments[1] = Segment{-amp.level / static_cast<float>(samples), 0.0f, samples};
}

void refreshSustain(Voice& v, ParamView p) {
  Envelope& amp = v.ampEnvelope;
  if (amp.stage == amp.sustainStage) amp.level = ampSustain(amp, p);
  for (int e = 0; e < 3; ++e) {
    Envelope& h = v.harmonicEnvelope[e];
    if (h.stage == h.sustainStage) h.level = harmonicSustain(p, e + 1);
  }
  if (v.pwEnvelope.stage == v.pwEnvelope.sustainStage)
    v.pwEnvelope.level = linearSustain(v.pwEnvelope, p, pwEnvelopeIds());
  if (v.filterEnvelope.stage == v.filterEnvelope.sustainStage)
    v.filterEnvelope.level = linearSustain(v.filterEnvelope, p, filterEnvelopeIds());
}

}  // namespace gw
