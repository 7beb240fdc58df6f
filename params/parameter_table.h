// The 180 parameters: name, unit, range and default of every index. Everything that
// names, converts, displays or initialises a parameter reads this table.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "params/parameter_ids.h"

namespace gw {

// Numbered as Audio Unit parameter units, whose codes the table's rows carry.
enum class ParameterUnit : std::int32_t {
  Generic = 0,
  Indexed = 1,
  Boolean = 2,
  Percent = 3,
  Seconds = 4,
  Hertz = 8,
  Cents = 9,
  RelativeSemitones = 10,
  Decibels = 13,
  LinearGain = 14,
  MixerFaderCurve = 17,
  Pan = 18,
  Bpm = 22,
  Beats = 23,
  Milliseconds = 24,
};

struct ParameterInfo {
  int id;  // must equal the row's position; checked below
  const char* name;
  ParameterUnit unit;
  float minimum;
  float maximum;
  float defaultValue;
};

namespace detail {
using U = ParameterUnit;
}  // namespace detail

// clang-format off
inline constexpr std::array<ParameterInfo, param::kCount> kParameterTable = [] {
  using detail::U;
  return std::array<ParameterInfo, param::kCount>{{
    {0, "Volume", U::MixerFaderCurve, 0.f, 1.f, 1.f},
    {1, "Level 1", U::LinearGain, -1.f, 1.f, 1.f},
    {2, "Level 2", U::LinearGain, -1.f, 1.f, 0.f},
    {3, "Level 3", U::LinearGain, -1.f, 1.f, 0.f},
    {4, "Level 4", U::LinearGain, -1.f, 1.f, 0.f},
    {5, "Level 5", U::LinearGain, -1.f, 1.f, 0.f},
    {6, "Level 6", U::LinearGain, -1.f, 1.f, 0.f},
    {7, "Level 7", U::LinearGain, -1.f, 1.f, 0.f},
    {8, "Level 8", U::LinearGain, -1.f, 1.f, 0.f},
    {9, "Level 9", U::LinearGain, -1.f, 1.f, 0.f},
    {10, "Level 10", U::LinearGain, -1.f, 1.f, 0.f},
    {11, "Level 11", U::LinearGain, -1.f, 1.f, 0.f},
    {12, "Level 12", U::LinearGain, -1.f, 1.f, 0.f},
    {13, "Level 13", U::LinearGain, -1.f, 1.f, 0.f},
    {14, "Level 14", U::LinearGain, -1.f, 1.f, 0.f},
    {15, "Level 15", U::LinearGain, -1.f, 1.f, 0.f},
    {16, "Level 16", U::LinearGain, -1.f, 1.f, 0.f},
    {17, "u", U::Generic, 0.f, 0.f, 0.f},
    {18, "u", U::Generic, 0.f, 0.f, 0.f},
    {19, "u", U::Generic, 0.f, 0.f, 0.f},
    {20, "u", U::Generic, 0.f, 0.f, 0.f},
    {21, "u", U::Generic, 0.f, 0.f, 0.f},
    {22, "u", U::Generic, 0.f, 0.f, 0.f},
    {23, "u", U::Generic, 0.f, 0.f, 0.f},
    {24, "u", U::Generic, 0.f, 0.f, 0.f},
    {25, "u", U::Generic, 0.f, 0.f, 0.f},
    {26, "u", U::Generic, 0.f, 0.f, 0.f},
    {27, "u", U::Generic, 0.f, 0.f, 0.f},
    {28, "u", U::Generic, 0.f, 0.f, 0.f},
    {29, "u", U::Generic, 0.f, 0.f, 0.f},
    {30, "u", U::Generic, 0.f, 0.f, 0.f},
    {31, "u", U::Generic, 0.f, 0.f, 0.f},
    {32, "u", U::Generic, 0.f, 0.f, 0.f},
    {33, "Attack", U::Seconds, 0.f, 5.f, 0.5f},
    {34, "Decay", U::Seconds, 0.f, 5.f, 0.5f},
    {35, "Release", U::Seconds, 0.f, 5.f, 0.5f},
    {36, "Attack Shape", U::Generic, 0.f, 1.f, 0.f},
    {37, "Decay Shape", U::Generic, 0.f, 1.f, 0.f},
    {38, "Release Shape", U::Generic, 0.f, 1.f, 0.f},
    {39, "Unused", U::Generic, 0.f, 0.f, 0.f},
    {40, "Sustain", U::LinearGain, 0.f, 1.f, 0.7f},
    {41, "Env 1 Time A1", U::Seconds, 0.f, 5.f, 0.f},
    {42, "Env 1 Time A2", U::Seconds, 0.f, 5.f, 0.f},
    {43, "Env 1 Time A3", U::Seconds, 0.f, 5.f, 0.f},
    {44, "Env 1 Time R1", U::Seconds, 0.f, 5.f, 0.f},
    {45, "Env 1 Time R2", U::Seconds, 0.f, 5.f, 0.f},
    {46, "Env 1 Shape A1", U::Generic, 0.f, 1.f, 0.f},
    {47, "Env 1 Shape A2", U::Generic, 0.f, 1.f, 0.f},
    {48, "Env 1 Shape A3", U::Generic, 0.f, 1.f, 0.f},
    {49, "Env 1 Shape R1", U::Generic, 0.f, 1.f, 0.f},
    {50, "Env 1 Shape R2", U::Generic, 0.f, 1.f, 0.f},
    {51, "Env 1 Level A1", U::LinearGain, 0.f, 1.f, 0.f},
    {52, "Env 1 Level A2", U::LinearGain, 0.f, 1.f, 1.f},
    {53, "Env 1 Sustain", U::LinearGain, 0.f, 1.f, 1.f},
    {54, "Env 1 Level R1", U::LinearGain, 0.f, 1.f, 1.f},
    {55, "Env 2 Time A1", U::Seconds, 0.f, 5.f, 0.f},
    {56, "Env 2 Time A2", U::Seconds, 0.f, 5.f, 0.f},
    {57, "Env 2 Time A3", U::Seconds, 0.f, 5.f, 0.f},
    {58, "Env 2 Time R1", U::Seconds, 0.f, 5.f, 0.f},
    {59, "Env 2 Time R2", U::Seconds, 0.f, 5.f, 0.f},
    {60, "Env 2 Shape A1", U::Generic, 0.f, 1.f, 0.f},
    {61, "Env 2 Shape A2", U::Generic, 0.f, 1.f, 0.f},
    {62, "Env 2 Shape A3", U::Generic, 0.f, 1.f, 0.f},
    {63, "Env 2 Shape R1", U::Generic, 0.f, 1.f, 0.f},
    {64, "Env 2 Shape R2", U::Generic, 0.f, 1.f, 0.f},
    {65, "Env 2 Level A1", U::LinearGain, 0.f, 1.f, 0.f},
    {66, "Env 2 Level A2", U::LinearGain, 0.f, 1.f, 1.f},
    {67, "Env 2 Sustain", U::LinearGain, 0.f, 1.f, 1.f},
    {68, "Env 2 Level R1", U::LinearGain, 0.f, 1.f, 1.f},
    {69, "Env 3 Time A1", U::Seconds, 0.f, 5.f, 0.f},
    {70, "Env 3 Time A2", U::Seconds, 0.f, 5.f, 0.f},
    {71, "Env 3 Time A3", U::Seconds, 0.f, 5.f, 0.f},
    {72, "Env 3 Time R1", U::Seconds, 0.f, 5.f, 0.f},
    {73, "Env 3 Time R2", U::Seconds, 0.f, 5.f, 0.f},
    {74, "Env 3 Shape A1", U::Generic, 0.f, 1.f, 0.f},
    {75, "Env 3 Shape A2", U::Generic, 0.f, 1.f, 0.f},
    {76, "Env 3 Shape A3", U::Generic, 0.f, 1.f, 0.f},
    {77, "Env 3 Shape R1", U::Generic, 0.f, 1.f, 0.f},
    {78, "Env 3 Shape R2", U::Generic, 0.f, 1.f, 0.f},
    {79, "Env 3 Level A1", U::LinearGain, 0.f, 1.f, 0.f},
    {80, "Env 3 Level A2", U::LinearGain, 0.f, 1.f, 1.f},
    {81, "Env 3 Sustain", U::LinearGain, 0.f, 1.f, 1.f},
    {82, "Env 3 Level R1", U::LinearGain, 0.f, 1.f, 1.f},
    {83, "Env Select 1", U::Indexed, 0.f, 3.f, 0.f},
    {84, "Env Select 2", U::Indexed, 0.f, 3.f, 0.f},
    {85, "Env Select 3", U::Indexed, 0.f, 3.f, 0.f},
    {86, "Env Select 4", U::Indexed, 0.f, 3.f, 0.f},
    {87, "Env Select 5", U::Indexed, 0.f, 3.f, 0.f},
    {88, "Env Select 6", U::Indexed, 0.f, 3.f, 0.f},
    {89, "Env Select 7", U::Indexed, 0.f, 3.f, 0.f},
    {90, "Env Select 8", U::Indexed, 0.f, 3.f, 0.f},
    {91, "Env Select 9", U::Indexed, 0.f, 3.f, 0.f},
    {92, "Env Select 10", U::Indexed, 0.f, 3.f, 0.f},
    {93, "Env Select 11", U::Indexed, 0.f, 3.f, 0.f},
    {94, "Env Select 12", U::Indexed, 0.f, 3.f, 0.f},
    {95, "Env Select 13", U::Indexed, 0.f, 3.f, 0.f},
    {96, "Env Select 14", U::Indexed, 0.f, 3.f, 0.f},
    {97, "Env Select 15", U::Indexed, 0.f, 3.f, 0.f},
    {98, "Env Select 16", U::Indexed, 0.f, 3.f, 0.f},
    {99, "u", U::Generic, 0.f, 0.f, 0.f},
    {100, "u", U::Generic, 0.f, 0.f, 0.f},
    {101, "u", U::Generic, 0.f, 0.f, 0.f},
    {102, "u", U::Generic, 0.f, 0.f, 0.f},
    {103, "u", U::Generic, 0.f, 0.f, 0.f},
    {104, "u", U::Generic, 0.f, 0.f, 0.f},
    {105, "u", U::Generic, 0.f, 0.f, 0.f},
    {106, "u", U::Generic, 0.f, 0.f, 0.f},
    {107, "u", U::Generic, 0.f, 0.f, 0.f},
    {108, "u", U::Generic, 0.f, 0.f, 0.f},
    {109, "u", U::Generic, 0.f, 0.f, 0.f},
    {110, "u", U::Generic, 0.f, 0.f, 0.f},
    {111, "u", U::Generic, 0.f, 0.f, 0.f},
    {112, "u", U::Generic, 0.f, 0.f, 0.f},
    {113, "u", U::Generic, 0.f, 0.f, 0.f},
    {114, "u", U::Generic, 0.f, 0.f, 0.f},
    {115, "LFO 1 Speed", U::Hertz, 0.05f, 100.f, 1.f},
    {116, "LFO 1 Offset", U::Generic, 0.f, 1.f, 1.f},
    {117, "LFO 1 Amount", U::Generic, 0.f, 1.f, 0.f},
    {118, "LFO 2 Speed", U::Hertz, 0.05f, 100.f, 1.f},
    {119, "LFO 2 Offset", U::Generic, 0.f, 1.f, 1.f},
    {120, "LFO 2 Amount", U::Generic, 0.f, 1.f, 0.f},
    {121, "LFO 3 Speed", U::Hertz, 0.05f, 100.f, 1.f},
    {122, "LFO 3 Offset", U::Generic, 0.f, 1.f, 1.f},
    {123, "LFO 3 Amount", U::Generic, 0.f, 1.f, 0.f},
    {124, "LFO 4 Speed", U::Hertz, 0.05f, 100.f, 1.f},
    {125, "LFO 4 Offset", U::Generic, 0.f, 1.f, 1.f},
    {126, "LFO 4 Amount", U::Generic, 0.f, 1.f, 0.f},
    {127, "Pulse Width", U::Generic, 0.f, 1.f, 0.5f},
    {128, "PW LFO Speed", U::Hertz, 0.05f, 20.f, 1.f},
    {129, "PW LFO Amount", U::Generic, 0.f, 1.f, 0.f},
    {130, "PW Env Attack", U::Seconds, 0.f, 5.f, 1.f},
    {131, "PW Env Decay", U::Seconds, 0.f, 5.f, 1.f},
    {132, "PW Env Release", U::Seconds, 0.f, 5.f, 1.f},
    {133, "Unused", U::Generic, 0.f, 0.f, 0.f},
    {134, "Unused", U::Generic, 0.f, 0.f, 0.f},
    {135, "Unused", U::Generic, 0.f, 0.f, 0.f},
    {136, "Unused", U::Generic, 0.f, 0.f, 0.f},
    {137, "PW Env Sustain", U::LinearGain, 0.f, 1.f, 0.7f},
    {138, "PW Env Amount", U::Generic, -1.f, 1.f, 0.f},
    {139, "Filter Cutoff", U::Hertz, 50.f, 12000.f, 1000.f},
    {140, "Filter Q", U::Generic, 0.01f, 1.f, 0.1f},
    {141, "Filter Type", U::Generic, 0.f, 4.f, 0.f},
    {142, "Filter LFO Speed", U::Hertz, 0.05f, 20.f, 0.2f},
    {143, "Filter LFO Amount", U::Generic, 0.f, 3.f, 0.f},
    {144, "Filter LFO Type Amount", U::Generic, 0.f, 4.f, 0.f},
    {145, "Filter Env Attack", U::Seconds, 0.f, 5.f, 1.f},
    {146, "Filter Env Decay", U::Seconds, 0.f, 5.f, 1.f},
    {147, "Filter Env Release", U::Seconds, 0.f, 5.f, 1.f},
    {148, "Unused", U::Generic, 0.f, 0.f, 0.f},
    {149, "Unused", U::Generic, 0.f, 0.f, 0.f},
    {150, "Unused", U::Generic, 0.f, 0.f, 0.f},
    {151, "Unused", U::Generic, 0.f, 0.f, 0.f},
    {152, "Filter Env Sustain", U::LinearGain, 0.f, 1.f, 0.7f},
    {153, "Filter Env Amount", U::Generic, -4.f, 4.f, 0.f},
    {154, "Pitch Wheel Range", U::RelativeSemitones, 0.f, 12.f, 2.f},
    {155, "Velocity Env Amount", U::Generic, -1.f, 1.f, 1.f},
    {156, "Velocity Filter Amount", U::Generic, -8.f, 8.f, 0.f},
    {157, "Velocity Filter Env Amount", U::Generic, -1.f, 1.f, 0.f},
    {158, "Velocity PW Amount", U::Generic, -1.f, 1.f, 0.f},
    {159, "Velocity PW Env Amount", U::Generic, -1.f, 1.f, 0.f},
    {160, "Coarse Tune", U::RelativeSemitones, -24.f, 24.f, 0.f},
    {161, "Fine Tune", U::Cents, -100.f, 100.f, 0.f},
    {162, "Modulation On/Off", U::Boolean, 0.f, 1.f, 0.f},
    {163, "Modulation Wet/Dry", U::Percent, 0.f, 100.f, 50.f},
    {164, "Modulation Delay", U::Milliseconds, 0.f, 500.f, 10.f},
    {165, "Modulation Sweep", U::Milliseconds, 0.f, 50.f, 1.f},
    {166, "Modulation Rate", U::Hertz, 0.05f, 20.f, 0.2f},
    {167, "Modulation Feedback", U::Percent, -100.f, 100.f, 0.f},
    {168, "Modulation Spread", U::Generic, 0.f, 1.f, 0.5f},
    {169, "Modulation Voices", U::Indexed, 1.f, 4.f, 2.f},
    {170, "Modulation Shape", U::Generic, 0.f, 1.f, 0.f},
    {171, "Filter KB Track", U::Generic, 0.f, 1.f, 0.f},
    {172, "LFO 1 KB Track", U::Generic, 0.f, 1.f, 0.f},
    {173, "LFO 1 Multiplier", U::Indexed, 0.f, 2.f, 0.f},
    {174, "LFO 2 KB Track", U::Generic, 0.f, 1.f, 0.f},
    {175, "LFO 2 Multiplier", U::Indexed, 0.f, 2.f, 0.f},
    {176, "LFO 3 KB Track", U::Generic, 0.f, 1.f, 0.f},
    {177, "LFO 3 Multiplier", U::Indexed, 0.f, 2.f, 0.f},
    {178, "LFO 4 KB Track", U::Generic, 0.f, 1.f, 0.f},
    {179, "LFO 4 Multiplier", U::Indexed, 0.f, 2.f, 0.f},
  }};
}();
// clang-format on

constexpr bool rowsAreInIndexOrder() {
  for (int i = 0; i < param::kCount; ++i) {
    if (kParameterTable[i].id != i || kParameterTable[i].name == nullptr) return false;
  }
  return true;
}
static_assert(rowsAreInIndexOrder(), "every row's id must equal its index");

// The named index constants and the table must agree.
constexpr bool rowIs(int index, std::string_view name) {
  return std::string_view(kParameterTable[index].name) == name;
}
static_assert(rowIs(param::kVolume, "Volume") && rowIs(param::level(16), "Level 16"));
static_assert(rowIs(param::kSustain, "Sustain") && rowIs(param::envLevelR1(3), "Env 3 Level R1"));
static_assert(rowIs(param::envTimeR2(2), "Env 2 Time R2") &&
              rowIs(param::envSelect(16), "Env Select 16"));
static_assert(rowIs(param::lfoAmount(4), "LFO 4 Amount") &&
              rowIs(param::kPwEnvSustain, "PW Env Sustain"));
static_assert(rowIs(param::kFilterCutoff, "Filter Cutoff") &&
              rowIs(param::kFilterEnvAmount, "Filter Env Amount"));
static_assert(rowIs(param::kFineTune, "Fine Tune") &&
              rowIs(param::kModulationShape, "Modulation Shape"));
static_assert(rowIs(param::kFilterKbTrack, "Filter KB Track") &&
              rowIs(param::lfoMultiplier(4), "LFO 4 Multiplier"));

constexpr bool isParameterIndex(int index) {
  return index >= 0 && index < param::kCount;
}

}  // namespace gw
