// The per-sample path of one voice: envelopes, pulse width, the sixteen harmonics,
// the filter and the amplitude envelope.
#pragma once

#include <array>
#include <cstdint>

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

// What the processor and the operating system offer for the wide voice loop.
struct ProcessorFeatures {
  bool avx = false;        // CPUID leaf 1, ECX bit 28
  bool osxsave = false;    // CPUID leaf 1, ECX bit 27: XGETBV can be used
  std::uint64_t xcr0 = 0;  // XGETBV(0): the register state the OS saves on a switch
};
ProcessorFeatures processorFeatures();
// AVX only where the processor has it and the OS saves the vector registers' upper halves
// (XCR0 bits 1 and 2); otherwise a thread switch would corrupt them.
bool wideInstructionsUsable(const ProcessorFeatures& features);

// Chooses the AVX encoding of the render loop when the processor and the OS allow it (the
// default) or the plain SSE2 one; returns what is in use. Both give identical samples.
// Thread: any.
bool useWideInstructions(bool wanted);

// Adds the next frames samples of voices[0..count) to out, in index order, and advances
// all their state. Their block values (sustain refresh, LFO and filter coefficients) must
// be current.
void renderVoices(Voice* voices, int count, const VoiceBlock& block, float* out, int frames);

}  // namespace gw
