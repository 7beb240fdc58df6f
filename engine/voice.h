// One sounding note: its envelopes, oscillator phase, LFO and filter state.
#pragma once

#include <cstdint>

#include "engine/envelope.h"
#include "engine/float4.h"
#include "params/param_view.h"

namespace gw {

struct Voice {
  std::int32_t note = 0;
  float velocity = 0.0f;
  double pitchOctaves = 0.0;  // (note - 60)/12 + tune, refreshed every block
  Envelope ampEnvelope;
  std::array<Envelope, 3> harmonicEnvelope;
  Envelope pwEnvelope;
  Envelope filterEnvelope;
  Float4 phase;          // cycles in [0, 1), all lanes equal
  Float4 baseIncrement;  // cycles per sample at note-on, all lanes equal
  // Lane 0 is LFO 4, lanes 1..3 are LFO 1..3.
  Float4 lfoSin;
  Float4 lfoCos;
  Float4 lfoCoef;
  float pwLfoSin = 0.0f;
  float pwLfoCos = 1.0f;
  float filterLow = 0.0f;
  float filterHigh = 0.0f;  // only records the last high-pass output
  float filterBand = 0.0f;
  float filterCoefBase = 0.0f;
  float filterCoefRange = 0.0f;
  float filterDamping = 0.0f;

  // The six envelopes by render-loop index: amplitude, Env 1..3, pulse width, filter.
  static constexpr int kEnvelopes = 6;
  Envelope& envelope(int index) {
    if (index == 0) return ampEnvelope;
    if (index <= 3) return harmonicEnvelope[index - 1];
    return index == 4 ? pwEnvelope : filterEnvelope;
  }

  // The six envelopes in the render loop's order.
  template <class F>
  void forEachEnvelope(F&& f) {
    f(ampEnvelope);
    for (Envelope& e : harmonicEnvelope) f(e);
    f(pwEnvelope);
    f(filterEnvelope);
  }
};

// 440 Hz at note 69, in cycles per sample.
double noteIncrement(std::int32_t note, float sampleRate);

void startVoice(Voice& v, std::int32_t note, float velocity, ParamView params, float sampleRate);
void releaseVoice(Voice& v, ParamView params, float sampleRate);
// Takes the amplitude from wherever it is to silence along a straight line over samples
// (at least one), whatever stage it was in; the voice then ends as a released one does,
// and its other envelopes go on meanwhile.
void fadeOut(Voice& v, std::uint32_t samples);
// Levels of envelopes resting on their sustain follow the sustain knobs.
void refreshSustain(Voice& v, ParamView params);

inline bool isReleased(const Voice& v) {
  return v.ampEnvelope.stage < v.ampEnvelope.sustainStage;
}

}  // namespace gw
