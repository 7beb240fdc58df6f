// The per-sample path of one voice: envelopes, pulse width, the sixteen harmonics,
// the filter and the amplitude envelope.
#pragma once

#include <array>
#include <cstdint>

#include "engine/filter.h"
#include "engine/float4.h"
#include "engine/voice.h"
#include "params/param_view.h"

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
// coefficient and the filter weights. The gains take Volume from params, or the given one.
VoiceBlock oscillatorBlock(ParamView params);
VoiceBlock oscillatorBlock(ParamView params, float volume);

// Env Select truncated toward zero and held to 0..3.
int envSelection(float value);

// What the processor and the operating system offer for the wide voice loops.
struct ProcessorFeatures {
  bool avx = false;        // CPUID leaf 1, ECX bit 28
  bool fma = false;        // CPUID leaf 1, ECX bit 12
  bool osxsave = false;    // CPUID leaf 1, ECX bit 27: XGETBV can be used
  bool avx2 = false;       // CPUID leaf 7, EBX bit 5
  std::uint64_t xcr0 = 0;  // XGETBV(0): the register state the OS saves on a switch
};
ProcessorFeatures processorFeatures();

// The encodings of the voice loop and the effect. kAvx gives the SSE2 samples exactly;
// kAvx2Fma fuses multiply-adds (the oscillator's, the filter's, the modulation's and the
// effect's), which moves its sums by single roundings (the output stays within 100 dB SNR
// of the SSE2 samples, far below hearing). The LFOs of the voices, which run for the
// whole of a note, and the envelopes step as in the SSE2 build.
enum class InstructionSet { kSse2, kAvx, kAvx2Fma };

// The widest set usable here. AVX and AVX2 only where the OS saves the vector registers'
// upper halves (XCR0 bits 1 and 2); otherwise a thread switch would corrupt them.
InstructionSet usableInstructions(const ProcessorFeatures& features);

// Chooses the widest usable encoding not above limit (the default: the widest usable);
// returns the one in use. Thread: any.
InstructionSet useInstructions(InstructionSet limit);

// The encoding chosen last (the widest usable until useInstructions). Thread: any.
InstructionSet instructionsInUse();

// Adds the next frames samples of voices[0..count) to out, in index order, and advances
// all their state. Their block values (sustain refresh, LFO and filter coefficients) must
// be current.
void renderVoices(Voice* voices, int count, const VoiceBlock& block, float* out, int frames);

}  // namespace gw
