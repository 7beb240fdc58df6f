// Parameter indices by name. The full rows (names, units, ranges, defaults) are the
// table in params/parameter_table.h; these constants let the engine and the editor name
// a parameter without a magic number.
#pragma once

namespace gw::param {

constexpr int kCount = 180;

constexpr int kVolume = 0;
// Harmonic n (1..16) at index n.
constexpr int level(int harmonic) {
  return harmonic;
}

constexpr int kAttack = 33;
constexpr int kDecay = 34;
constexpr int kRelease = 35;
constexpr int kAttackShape = 36;
constexpr int kDecayShape = 37;
constexpr int kReleaseShape = 38;
constexpr int kSustain = 40;

// Harmonic envelopes e = 1..3 occupy 14 rows each from 41.
constexpr int envBase(int e) {
  return 41 + 14 * (e - 1);
}
constexpr int envTimeA1(int e) {
  return envBase(e) + 0;
}
constexpr int envTimeA2(int e) {
  return envBase(e) + 1;
}
constexpr int envTimeA3(int e) {
  return envBase(e) + 2;
}
constexpr int envTimeR1(int e) {
  return envBase(e) + 3;
}
constexpr int envTimeR2(int e) {
  return envBase(e) + 4;
}
constexpr int envShapeA1(int e) {
  return envBase(e) + 5;
}
constexpr int envShapeA2(int e) {
  return envBase(e) + 6;
}
constexpr int envShapeA3(int e) {
  return envBase(e) + 7;
}
constexpr int envShapeR1(int e) {
  return envBase(e) + 8;
}
constexpr int envShapeR2(int e) {
  return envBase(e) + 9;
}
constexpr int envLevelA1(int e) {
  return envBase(e) + 10;
}
constexpr int envLevelA2(int e) {
  return envBase(e) + 11;
}
constexpr int envSustain(int e) {
  return envBase(e) + 12;
}
constexpr int envLevelR1(int e) {
  return envBase(e) + 13;
}

// Harmonic n (1..16) at 82 + n.
constexpr int envSelect(int harmonic) {
  return 82 + harmonic;
}

// Voice LFOs k = 1..4.
constexpr int lfoSpeed(int k) {
  return 115 + 3 * (k - 1);
}
constexpr int lfoOffset(int k) {
  return 116 + 3 * (k - 1);
}
constexpr int lfoAmount(int k) {
  return 117 + 3 * (k - 1);
}
constexpr int lfoKbTrack(int k) {
  return 172 + 2 * (k - 1);
}
constexpr int lfoMultiplier(int k) {
  return 173 + 2 * (k - 1);
}

constexpr int kPulseWidth = 127;
constexpr int kPwLfoSpeed = 128;
constexpr int kPwLfoAmount = 129;
constexpr int kPwEnvAttack = 130;
constexpr int kPwEnvDecay = 131;
constexpr int kPwEnvRelease = 132;
constexpr int kPwEnvSustain = 137;
constexpr int kPwEnvAmount = 138;

constexpr int kFilterCutoff = 139;
constexpr int kFilterQ = 140;
constexpr int kFilterType = 141;
constexpr int kFilterLfoSpeed = 142;
constexpr int kFilterLfoAmount = 143;
constexpr int kFilterLfoTypeAmount = 144;
constexpr int kFilterEnvAttack = 145;
constexpr int kFilterEnvDecay = 146;
constexpr int kFilterEnvRelease = 147;
constexpr int kFilterEnvSustain = 152;
constexpr int kFilterEnvAmount = 153;

constexpr int kPitchWheelRange = 154;
constexpr int kVelocityEnvAmount = 155;
constexpr int kVelocityFilterAmount = 156;
constexpr int kVelocityFilterEnvAmount = 157;
constexpr int kVelocityPwAmount = 158;
constexpr int kVelocityPwEnvAmount = 159;
constexpr int kCoarseTune = 160;
constexpr int kFineTune = 161;

constexpr int kModulationOnOff = 162;
constexpr int kModulationWetDry = 163;
constexpr int kModulationDelay = 164;
constexpr int kModulationSweep = 165;
constexpr int kModulationRate = 166;
constexpr int kModulationFeedback = 167;
constexpr int kModulationSpread = 168;
constexpr int kModulationVoices = 169;
constexpr int kModulationShape = 170;

constexpr int kFilterKbTrack = 171;

// The rows named "Unused": refused by setParameter, displayed as "Unused".
constexpr bool isUnused(int index) {
  return index == 39 || (index >= 133 && index <= 136) || (index >= 148 && index <= 151);
}
// The reserved rows named "u": range 0..0, never read by the engine.
constexpr bool isReserved(int index) {
  return (index >= 17 && index <= 32) || (index >= 99 && index <= 114);
}

static_assert(envLevelR1(3) == 82);
static_assert(envSelect(16) == 98);
static_assert(lfoAmount(4) == 126);
static_assert(lfoMultiplier(4) == 179);

}  // namespace gw::param
