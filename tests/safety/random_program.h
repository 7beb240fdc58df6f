// Random programs and MIDI for the output-safety properties: every value a host can set
// (normalised 0..1, with the range ends drawn often), and MIDI of every kind.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "params/parameter_ids.h"

namespace gw::test {

using Normalised = std::array<float, param::kCount>;

// The parameters whose extremes interact worst: resonance, cutoff and everything that
// moves it, feedback and delay of the effect, and everything that bends the pulse width.
inline constexpr std::array<int, 12> kRiskyParameters = {param::kFilterQ,
                                                         param::kFilterCutoff,
                                                         param::kFilterEnvAmount,
                                                         param::kVelocityFilterAmount,
                                                         param::kFilterLfoAmount,
                                                         param::kFilterType,
                                                         param::kModulationFeedback,
                                                         param::kModulationDelay,
                                                         param::kPulseWidth,
                                                         param::kPwEnvAmount,
                                                         param::kPwLfoAmount,
                                                         param::kVelocityPwAmount};

// Each value uniform in 0..1, or exactly 0 or 1 with probability `extremes` each half.
inline Normalised randomProgram(std::mt19937& rng, double extremes) {
  std::uniform_real_distribution<float> uniform(0.0f, 1.0f);
  std::bernoulli_distribution extreme(extremes);
  std::bernoulli_distribution high(0.5);
  Normalised values{};
  for (float& v : values) v = extreme(rng) ? (high(rng) ? 1.0f : 0.0f) : uniform(rng);
  return values;
}

// A loud, busy and fast-moving base for the corner sweep: all harmonics at full level,
// instant envelopes, fast LFOs, the effect on with four taps.
inline Normalised harshProgram() {
  Normalised v{};
  v.fill(0.5f);
  v[param::kVolume] = 1.0f;
  for (int k = 1; k <= 16; ++k) v[param::level(k)] = (k % 2 == 0) ? 0.0f : 1.0f;
  for (int k = 1; k <= 4; ++k) {
    v[param::lfoSpeed(k)] = v[param::lfoMultiplier(k)] = v[param::lfoAmount(k)] = 1.0f;
    v[param::lfoOffset(k)] = 0.0f;
  }
  v[param::kAttack] = v[param::kDecay] = 0.0f;
  v[param::kSustain] = 1.0f;
  v[param::kFilterEnvAttack] = v[param::kFilterEnvDecay] = 0.0f;
  v[param::kFilterLfoSpeed] = 1.0f;
  v[param::kFilterLfoTypeAmount] = 1.0f;
  v[param::kModulationOnOff] = 1.0f;
  v[param::kModulationVoices] = 1.0f;
  v[param::kModulationSweep] = 1.0f;
  v[param::kModulationShape] = 1.0f;
  v[param::kPitchWheelRange] = 1.0f;
  return v;
}

// One short MIDI message of any kind a host may deliver, notes most often.
inline std::vector<std::uint8_t> randomMidi(std::mt19937& rng) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> data(0, 127);
  const int channel = byte(rng) & 0x0F;
  switch (std::uniform_int_distribution<int>(0, 9)(rng)) {
    case 0:
    case 1:
    case 2:
      return {static_cast<std::uint8_t>(0x90 | channel), static_cast<std::uint8_t>(data(rng)),
              static_cast<std::uint8_t>(data(rng) | 1)};
    case 3:
    case 4:
      return {static_cast<std::uint8_t>(0x80 | channel), static_cast<std::uint8_t>(data(rng)), 0};
    case 5:  // pitch wheel, often at its ends
      return {
          static_cast<std::uint8_t>(0xE0 | channel),
          static_cast<std::uint8_t>(byte(rng) % 2 ? 0 : 127),
          static_cast<std::uint8_t>(byte(rng) % 3 == 0 ? data(rng) : (byte(rng) % 2 ? 0 : 127))};
    case 6:
      return {static_cast<std::uint8_t>(0xB0 | channel),
              static_cast<std::uint8_t>(byte(rng) % 2 ? 123 : data(rng)),
              static_cast<std::uint8_t>(data(rng))};
    default:  // anything, running data and system bytes included
      return {static_cast<std::uint8_t>(byte(rng)), static_cast<std::uint8_t>(byte(rng)),
              static_cast<std::uint8_t>(byte(rng))};
  }
}

}  // namespace gw::test
