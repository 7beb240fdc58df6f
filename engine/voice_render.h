// The per-sample path of one voice: envelopes, pulse width, the sixteen harmonics,
// the filter and the amplitude envelope.
#pragma once

#include <array>

#include "engine/filter.h"
#include "engine/float4.h"
#include "engine/param_view.h"
#include "engine/voice.h"

namespace gw {

// Everything the per-sample loop needs that is fixed for a block and the same for all
// voices.
struct VoiceBlock {
  // gains[g][j]: for harmonics 4g+1..4g+4, their level times Volume³ in the lanes whose
  // Env Select is j (0 None, 1..3 Env n), else 0. The gain of a harmonic is then the
  // sum over j of envGains[j] × gains[g][j], with exactly one non-zero term.
  Float4 gains[4][4];
  int groups = 4;    // groups up to the last one with a non-zero level
  Float4 lfoAmount;  // lanes LFO 4, LFO 1..3
  Float4 lfoOffset;
  float pulseWidth = 0.5f;
  float velocityPwAmount = 0.0f;
  float pwEnvAmount = 0.0f;
  float pwLfoAmount = 0.0f;
  float pwLfoCoef = 0.0f;
  float stepMultiplier = 1.0f;  // tune times pitch wheel
  FilterWeights filter{1.0f, 0.0f, 0.0f, 0.0f};
};

// The oscillator and LFO part of the block values; the caller adds the tune, the PW LFO
// coefficient and the filter weights.
VoiceBlock oscillatorBlock(ParamView params);

// Env Select truncated toward zero and held to 0..3.
int envSelection(float value);

// Chooses the AVX encoding of the render loop when the processor has it (the default)
// or the plain SSE2 one; returns what is in use. Both give identical samples. Thread: any.
bool useWideInstructions(bool wanted);

// Adds the voice's next frames samples to out and advances all its state. The voice's
// block values (sustain refresh, LFO and filter coefficients) must be current.
void renderVoice(Voice& v, const VoiceBlock& block, float* out, int frames);

}  // namespace gw
