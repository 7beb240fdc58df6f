// The 180 rows against the published parameter list, written here in its grouped form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "params/parameter_model.h"
#include "params/parameter_table.h"

namespace gw {
namespace {

struct Row {
  std::string name;
  int unit;
  float minimum, maximum, defaultValue;
};

std::vector<Row> publishedRows() {
  std::vector<Row> t;
  auto add = [&](std::string name, int unit, float lo, float hi, float def) {
    t.push_back({std::move(name), unit, lo, hi, def});
  };
  auto reserved = [&] {
    for (int i = 0; i < 16; ++i) add("u", 0, 0, 0, 0);
  };
  auto unused = [&](int n) {
    for (int i = 0; i < n; ++i) add("Unused", 0, 0, 0, 0);
  };
  add("Volume", 17, 0, 1, 1);
  for (int n = 1; n <= 16; ++n) add("Level " + std::to_string(n), 14, -1, 1, n == 1 ? 1 : 0);
  reserved();
  for (const char* s : {"Attack", "Decay", "Release"}) add(s, 4, 0, 5, 0.5f);
  for (const char* s : {"Attack Shape", "Decay Shape", "Release Shape"}) add(s, 0, 0, 1, 0);
  unused(1);
  add("Sustain", 14, 0, 1, 0.7f);
  for (int e = 1; e <= 3; ++e) {
    const std::string env = "Env " + std::to_string(e) + " ";
    for (const char* s : {"A1", "A2", "A3", "R1", "R2"}) add(env + "Time " + s, 4, 0, 5, 0);
    for (const char* s : {"A1", "A2", "A3", "R1", "R2"}) add(env + "Shape " + s, 0, 0, 1, 0);
    add(env + "Level A1", 14, 0, 1, 0);
    add(env + "Level A2", 14, 0, 1, 1);
    add(env + "Sustain", 14, 0, 1, 1);
    add(env + "Level R1", 14, 0, 1, 1);
  }
  for (int n = 1; n <= 16; ++n) add("Env Select " + std::to_string(n), 1, 0, 3, 0);
  reserved();
  for (int k = 1; k <= 4; ++k) {
    const std::string lfo = "LFO " + std::to_string(k) + " ";
    add(lfo + "Speed", 8, 0.05f, 100, 1);
    add(lfo + "Offset", 0, 0, 1, 1);
    add(lfo + "Amount", 0, 0, 1, 0);
  }
  add("Pulse Width", 0, 0, 1, 0.5f);
  add("PW LFO Speed", 8, 0.05f, 20, 1);
  add("PW LFO Amount", 0, 0, 1, 0);
  for (const char* s : {"PW Env Attack", "PW Env Decay", "PW Env Release"}) add(s, 4, 0, 5, 1);
  unused(4);
  add("PW Env Sustain", 14, 0, 1, 0.7f);
  add("PW Env Amount", 0, -1, 1, 0);
  add("Filter Cutoff", 8, 50, 12000, 1000);
  add("Filter Q", 0, 0.01f, 1, 0.1f);
  add("Filter Type", 0, 0, 4, 0);
  add("Filter LFO Speed", 8, 0.05f, 20, 0.2f);
  add("Filter LFO Amount", 0, 0, 3, 0);
  add("Filter LFO Type Amount", 0, 0, 4, 0);
  for (const char* s : {"Filter Env Attack", "Filter Env Decay", "Filter Env Release"}) {
    add(s, 4, 0, 5, 1);
  }
  unused(4);
  add("Filter Env Sustain", 14, 0, 1, 0.7f);
  add("Filter Env Amount", 0, -4, 4, 0);
  add("Pitch Wheel Range", 10, 0, 12, 2);
  add("Velocity Env Amount", 0, -1, 1, 1);
  add("Velocity Filter Amount", 0, -8, 8, 0);
  add("Velocity Filter Env Amount", 0, -1, 1, 0);
  add("Velocity PW Amount", 0, -1, 1, 0);
  add("Velocity PW Env Amount", 0, -1, 1, 0);
  add("Coarse Tune", 10, -24, 24, 0);
  add("Fine Tune", 9, -100, 100, 0);
  add("Modulation On/Off", 2, 0, 1, 0);
  add("Modulation Wet/Dry", 3, 0, 100, 50);
  add("Modulation Delay", 24, 0, 500, 10);
  add("Modulation Sweep", 24, 0, 50, 1);
  add("Modulation Rate", 8, 0.05f, 20, 0.2f);
  add("Modulation Feedback", 3, -100, 100, 0);
  add("Modulation Spread", 0, 0, 1, 0.5f);
  add("Modulation Voices", 1, 1, 4, 2);
  add("Modulation Shape", 0, 0, 1, 0);
  add("Filter KB Track", 0, 0, 1, 0);
  for (int k = 1; k <= 4; ++k) {
    add("LFO " + std::to_string(k) + " KB Track", 0, 0, 1, 0);
    add("LFO " + std::to_string(k) + " Multiplier", 1, 0, 2, 0);
  }
  return t;
}

TEST(ParameterTable, EveryRowMatchesThePublishedList) {
  const std::vector<Row> expected = publishedRows();
  ASSERT_EQ(expected.size(), kParameterTable.size());
  for (int i = 0; i < param::kCount; ++i) {
    SCOPED_TRACE("index " + std::to_string(i));
    const ParameterInfo& row = kParameterTable[i];
    EXPECT_EQ(row.name, expected[i].name);
    EXPECT_EQ(static_cast<int>(row.unit), expected[i].unit);
    EXPECT_EQ(row.minimum, expected[i].minimum);
    EXPECT_EQ(row.maximum, expected[i].maximum);
    EXPECT_EQ(row.defaultValue, expected[i].defaultValue);
  }
}

TEST(ParameterTable, IndexHelpersAgreeWithRowNames) {
  for (int i = 0; i < param::kCount; ++i) {
    const std::string name = kParameterTable[i].name;
    EXPECT_EQ(param::isUnused(i), name == "Unused") << i;
    EXPECT_EQ(param::isReserved(i), name == "u") << i;
  }
}

// A host saves normalised values and restores them: defaults must survive the trip.
TEST(ParameterTable, DefaultsSurviveTheNormalisedRoundTrip) {
  for (int i = 0; i < param::kCount; ++i) {
    const ParameterInfo& row = kParameterTable[i];
    EXPECT_GE(row.defaultValue, row.minimum) << i;
    EXPECT_LE(row.defaultValue, row.maximum) << i;
    const float n = toNormalised(i, row.defaultValue);
    EXPECT_GE(n, 0.0f) << i;
    EXPECT_LE(n, 1.0f) << i;
    EXPECT_NEAR(toInternal(i, n), row.defaultValue, 1e-4f * (1.0f + std::abs(row.defaultValue)))
        << row.name;
  }
}

}  // namespace
}  // namespace gw
