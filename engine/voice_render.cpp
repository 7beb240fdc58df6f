#include "engine/voice_render.h"

#include <cpuid.h>
#include <algorithm>
#include <atomic>
#include <cstdint>

#include "engine/float4x2.h"
#include "engine/voice_solo.h"

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
  alignas(16) float lanes[4][4][4] = {};  // group, source, lane
  int top = 0;                            // the highest harmonic with a level
  for (int k = 1; k <= 16; ++k) {
    const float level = p[param::level(k)] * volume3;
    lanes[(k - 1) / 4][envSelection(p[param::envSelect(k)])][(k - 1) % 4] = level;
    if (level != 0.0f) top = k;
  }
  for (int g = 0; g < 4; ++g)
    for (int j = 0; j < 4; ++j) b.gains[g][j] = Float4::load(lanes[g][j]);
  b.groups = (top + 3) / 4;
  b.lfoAmount = Float4::make(p[param::lfoAmount(lfoOfLane(0))], p[param::lfoAmount(lfoOfLane(1))],
                             p[param::lfoAmount(lfoOfLane(2))], p[param::lfoAmount(lfoOfLane(3))]);
  b.lfoOffset = Float4::make(p[param::lfoOffset(lfoOfLane(0))], p[param::lfoOffset(lfoOfLane(1))],
                             p[param::lfoOffset(lfoOfLane(2))], p[param::lfoOffset(lfoOfLane(3))]);
  b.pulseWidth = p[param::kPulseWidth];
  b.velocityPwAmount = p[param::kVelocityPwAmount];
  b.pwEnvAmount = p[param::kPwEnvAmount];
  b.pwLfoAmount = p[param::kPwLfoAmount];
  return b;
}

namespace {

// The SSE2 oscillator: the sixteen harmonics of one item, four lanes at a time, for the
// block's group count; four items' lane sums at once.
struct Sse2Oscillator {
  const VoiceBlock& b;
  Float4 numbers[4];

  explicit Sse2Oscillator(const VoiceBlock& block) : b(block) {
    for (int g = 0; g < 4; ++g) numbers[g] = harmonicNumbers(g);
  }

  template <int kGroups>
  void run(const float* warped, const float* gains, float* x, std::uint32_t blocks) const {
    // Local copies: the stores to x could otherwise alias the block's values and force
    // them to be read again for every block.
    Float4 levels[4][4], harmonics[4];
    for (int g = 0; g < 4; ++g) {
      harmonics[g] = numbers[g];
      for (int j = 0; j < 4; ++j) levels[g][j] = b.gains[g][j];
    }
    for (std::uint32_t q = 0; q < blocks; ++q, warped += 4, gains += 16, x += 4) {
      if constexpr (kGroups == 0) {
        Float4().store(x);
      } else {
        Float4 s[4];
        for (int k = 0; k < 4; ++k)
          s[k] = harmonicLanes<kGroups>(Float4::splat(warped[k]), harmonics, levels,
                                        Float4::load(gains + 4 * k));
        // Lane l of every item in s[l]: each item's sumLanes, four at a time.
        transpose(s);
        ((s[0] + s[2]) + (s[1] + s[3])).store(x);
      }
    }
  }
};

// The SSE2 build of the voice loop, for any processor; the AVX build gives identical samples.
void renderVoicesSse2(Voice* voices, int count, const VoiceBlock& b, float* out,
                      std::uint32_t frames) {
  const Sse2Oscillator oscillator(b);
  // A voice alone in a group of four runs faster in its own layout; two share a group.
  renderVoiceGroups<Float4, Float4x2, 1, WideLanes<Float4>, 0, false>(voices, count, b, out, frames,
                                                                      oscillator);
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

InstructionSet instructionsInUse() {
  return gInstructions.load(std::memory_order_relaxed);
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
