#include "engine/voice_render.h"

#include <cpuid.h>
#include <algorithm>
#include <atomic>
#include <cstdint>

#include "engine/voice_lanes.h"

namespace gw {

int envSelection(float value) {
  // NaN and anything below 1 select "None"; the clamp keeps the index inside the gains.
  if (!(value >= 1.0f)) return 0;
  if (value >= 3.0f) return 3;
  return static_cast<int>(value);
}

VoiceBlock oscillatorBlock(ParamView p) {
  return oscillatorBlock(p, p[param::kVolume]);
}

VoiceBlock oscillatorBlock(ParamView p, float volume) {
  VoiceBlock b;
  const float volume3 = volume * volume * volume;
  for (int g = 0; g < 4; ++g) {
    alignas(16) float lanes[4][4] = {};
    for (int i = 0; i < 4; ++i) {
      const int harmonic = g * 4 + i + 1;
      lanes[envSelection(p[param::envSelect(harmonic)])][i] = p[param::level(harmonic)] * volume3;
    }
    for (int j = 0; j < 4; ++j) b.gains[g][j] = Float4::load(lanes[j]);
  }
  b.groups = 0;
  for (int k = 1; k <= 16; ++k)
    if (p[param::level(k)] * volume3 != 0.0f) b.groups = (k + 3) / 4;
  alignas(16) float amount[4];
  alignas(16) float offset[4];
  for (int lane = 0; lane < 4; ++lane) {
    amount[lane] = p[param::lfoAmount(lfoOfLane(lane))];
    offset[lane] = p[param::lfoOffset(lfoOfLane(lane))];
  }
  b.lfoAmount = Float4::load(amount);
  b.lfoOffset = Float4::load(offset);
  b.pulseWidth = p[param::kPulseWidth];
  b.velocityPwAmount = p[param::kVelocityPwAmount];
  b.pwEnvAmount = p[param::kPwEnvAmount];
  b.pwLfoAmount = p[param::kPwLfoAmount];
  return b;
}

namespace {

// The SSE2 oscillator: the sixteen harmonics of one voice, four lanes at a time, for the
// block's group count.
struct Sse2Oscillator {
  const VoiceBlock& b;
  Float4 numbers[4];

  explicit Sse2Oscillator(const VoiceBlock& block) : b(block) {
    for (int g = 0; g < 4; ++g) numbers[g] = harmonicNumbers(g);
  }

  template <int kGroups>
  void run(LaneRuns<Float4>& r, int count, std::uint32_t n) const {
    constexpr int kL = kLanes<Float4>;
    for (int voice = 0; voice < count; ++voice) {
      for (std::uint32_t i = 0; i < n; ++i) {
        float x = 0.0f;
        if constexpr (kGroups > 0)
          x = harmonicSum<kGroups>(Float4::splat(r.warped[i * kL + voice]), numbers, b.gains,
                                   Float4::load(r.gainsOf(voice, i)));
        r.x[i * kL + voice] = x;
      }
    }
  }
};

// The SSE2 build of the voice loop, for any processor; the AVX build gives identical samples.
void renderVoicesSse2(Voice* voices, int count, const VoiceBlock& b, float* out,
                      std::uint32_t frames) {
  const Sse2Oscillator oscillator(b);
  constexpr int kL = kLanes<Float4>;
  for (int first = 0; first < count; first += kL)
    renderGroup<Float4>(voices + first, std::min(kL, count - first), b, out, frames, oscillator);
}

std::atomic<InstructionSet> gInstructions{usableInstructions(processorFeatures())};

}  // namespace

ProcessorFeatures processorFeatures() {
  ProcessorFeatures f;
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return f;
  f.avx = (ecx & (1u << 28)) != 0;
  f.fma = (ecx & (1u << 12)) != 0;
  f.osxsave = (ecx & (1u << 27)) != 0;
  if (f.osxsave) {
    // XGETBV with ECX = 0; spelled out so that no XSAVE compiler option is needed.
    std::uint32_t low = 0, high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    f.xcr0 = (static_cast<std::uint64_t>(high) << 32) | low;
  }
  if (__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) != 0) f.avx2 = (ebx & (1u << 5)) != 0;
  return f;
}

InstructionSet usableInstructions(const ProcessorFeatures& f) {
  constexpr std::uint64_t kSseAndAvxState = 0x6;
  if (!(f.avx && f.osxsave && (f.xcr0 & kSseAndAvxState) == kSseAndAvxState))
    return InstructionSet::kSse2;
  return f.avx2 && f.fma ? InstructionSet::kAvx2Fma : InstructionSet::kAvx;
}

InstructionSet useInstructions(InstructionSet limit) {
  const InstructionSet use = std::min(limit, usableInstructions(processorFeatures()));
  gInstructions.store(use, std::memory_order_relaxed);
  return use;
}

void renderVoices(Voice* voices, int count, const VoiceBlock& b, float* out, int frames) {
  if (frames <= 0 || count <= 0) return;
  const auto n = static_cast<std::uint32_t>(frames);
  switch (gInstructions.load(std::memory_order_relaxed)) {
    case InstructionSet::kAvx2Fma:
      return renderVoicesAvx2Fma(voices, count, b, out, n);
    case InstructionSet::kAvx:
      return renderVoicesAvx(voices, count, b, out, n);
    default:
      return renderVoicesSse2(voices, count, b, out, n);
  }
}

}  // namespace gw
