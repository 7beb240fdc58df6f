// The factory bank as data: names and order, the two presets whose values are given, and
// what holds across the whole bank.
#include "params/factory_bank.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace gw {
namespace {

constexpr const char* kNames[kFactoryPresetCount] = {
    "Defaults",        "Simple Pad",        "Wobbly Start",
    "Octaves",         "Double Ring",       "Squoawy",
    "PW Dive",         "Shimmery",          "Hollow Release",
    "Extreme PW",      "Velocity Filter",   "Clang",
    "PW Pad",          "Bassy Bass",        "Sinister Returner",
    "KV Chimes 1",     "KV CrystalStrings", "KV Gamelan1",
    "KV Gamelan2",     "KV Keyboard1",      "KV QuietRingMod",
    "KV SpaceChatter", "KV SpaceOrgan",     "KV SpaceOrgan2",
    "KV Strings1",     "KV Strings2",       "KV Wormhole",
    "KV Bass1",        "KV Bass2",          "KV SciFi1",
    "KV Stars1",       "KV Stars2",
};

TEST(FactoryBank, NamesInBankOrder) {
  for (int i = 0; i < kFactoryPresetCount; ++i) EXPECT_STREQ(factoryBank[i].name, kNames[i]) << i;
}

// Every value that differs from the table's default, by index.
std::map<int, float> changes(const FactoryPreset& preset) {
  std::map<int, float> out;
  for (int i = 0; i < param::kCount; ++i) {
    if (preset.values[i] != kParameterTable[i].defaultValue) out[i] = preset.values[i];
  }
  return out;
}

TEST(FactoryBank, DefaultsHoldsTheThreeHarmonicReleasesAndNothingElse) {
  const std::map<int, float> expected = {{45, 5.0f}, {59, 5.0f}, {73, 5.0f}};
  EXPECT_EQ(changes(factoryBank[0]), expected);
}

TEST(FactoryBank, SimplePadIsATriangleLikePadThroughChorus) {
  const std::map<int, float> expected = {
      {3, -0.111f},  {5, 0.04f},       {7, -0.02f},   {9, 0.012f},  {11, -0.008f}, {13, 0.006f},
      {15, -0.004f}, {33, 1.125f},     {34, 1.075f},  {35, 1.8f},   {45, 5.0f},    {59, 5.0f},
      {73, 5.0f},    {139, 2039.048f}, {140, 0.154f}, {141, 0.88f}, {162, 1.0f},   {163, 35.0f},
      {164, 215.0f}, {165, 2.75f},     {166, 0.522f}, {167, -92.0f}};
  EXPECT_EQ(changes(factoryBank[1]), expected);
}

bool holdsRelease(const FactoryPreset& preset, int envelope) {
  return preset.values[param::envTimeR2(envelope)] == 5.0f;
}

TEST(FactoryBank, ValuesLieInTheirRangesAndIndexedOnesAreWhole) {
  for (const FactoryPreset& preset : factoryBank) {
    for (int i = 0; i < param::kCount; ++i) {
      if (param::isReserved(i) || param::isUnused(i)) continue;
      const ParameterInfo& row = kParameterTable[i];
      const float v = preset.values[i];
      EXPECT_TRUE(v >= row.minimum && v <= row.maximum)
          << preset.name << " " << row.name << " " << v;
      if (row.unit == ParameterUnit::Indexed || i == param::kModulationOnOff) {
        EXPECT_EQ(v, std::floor(v)) << preset.name << " " << row.name;
      }
    }
  }
}

TEST(FactoryBank, FilterTypesBlendAndHarmonicReleasesHold) {
  int fractionalTypes = 0, holdingOne = 0, holdingAll = 0;
  for (const FactoryPreset& preset : factoryBank) {
    const float type = preset.values[param::kFilterType];
    fractionalTypes += type != std::floor(type);
    const int holds = holdsRelease(preset, 1) + holdsRelease(preset, 2) + holdsRelease(preset, 3);
    holdingOne += holds >= 1;
    holdingAll += holds == 3;
  }
  EXPECT_GE(fractionalTypes, 5);
  EXPECT_EQ(holdingOne, 25);
  EXPECT_EQ(holdingAll, 13);
}

// Presets 19-26 and 29-31 carry values in rows nothing reads; all others leave them 0.
TEST(FactoryBank, ReservedRowsHoldValuesOnlyWhereTheBankKeepsThem) {
  const std::vector<int> envelopeRows = {133, 135, 136, 148, 150, 151};
  const std::vector<int> selectionRows = {99, 100, 101, 103, 105, 107, 108, 110, 111, 112};
  for (int p = 0; p < kFactoryPresetCount; ++p) {
    std::vector<int> kept;
    if (p >= 19 && p <= 26) kept = envelopeRows;
    if (p >= 29) kept = selectionRows;
    for (int i = 0; i < param::kCount; ++i) {
      if (!param::isReserved(i) && !param::isUnused(i)) continue;
      const bool isKept = std::find(kept.begin(), kept.end(), i) != kept.end();
      EXPECT_EQ(factoryBank[p].values[i] != 0.0f, isKept) << factoryBank[p].name << " row " << i;
    }
  }
}

TEST(FactoryBank, ParameterIndexFindsUniqueNamesOnly) {
  static_assert(parameterIndex("Filter Cutoff") == param::kFilterCutoff);
  static_assert(parameterIndex("Env 3 Level R1") == param::envLevelR1(3));
  static_assert(parameterIndex("LFO 4 Multiplier") == param::lfoMultiplier(4));
  EXPECT_EQ(parameterIndex("Modulation On/Off"), param::kModulationOnOff);
}

}  // namespace
}  // namespace gw
