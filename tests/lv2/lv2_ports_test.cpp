// What the adapter makes of the control ports: the table's ranges and steps hold whatever
// a host writes, NaN changes nothing, and the rows the VST path refuses stay put.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "lv2/lv2_plugin.h"
#include "params/parameter_ids.h"
#include "params/parameter_model.h"
#include "params/parameter_table.h"

namespace {

using gw::kParameterTable;
namespace param = gw::param;

class Lv2Ports : public testing::Test {
 protected:
  Lv2Ports() : controls_(param::kCount) {
    for (int i = 0; i < param::kCount; ++i) {
      controls_[i] = kParameterTable[i].defaultValue;
      plugin_.connectPort(static_cast<std::uint32_t>(i), &controls_[i]);
    }
    plugin_.connectPort(gw::lv2::kOutLeftPort, left_);
    plugin_.connectPort(gw::lv2::kOutRightPort, right_);
    plugin_.activate();
  }
  void run() { plugin_.run(16); }

  std::vector<float> controls_;
  float left_[16] = {}, right_[16] = {};
  gw::lv2::Lv2Plugin plugin_{48000.0f, 1};
};

TEST_F(Lv2Ports, EveryRowTakesItsPortValueAtTheNextRun) {
  for (int i = 0; i < param::kCount; ++i) {
    if (gw::isInert(i)) continue;
    const auto& row = kParameterTable[i];
    controls_[i] = gw::isStepped(i) ? row.maximum : (row.minimum + row.maximum) / 2;
  }
  for (int i = 0; i < param::kCount; ++i)
    ASSERT_EQ(plugin_.value(i), kParameterTable[i].defaultValue);
  run();
  for (int i = 0; i < param::kCount; ++i) {
    if (gw::isInert(i)) continue;
    EXPECT_EQ(plugin_.value(i), controls_[i]) << kParameterTable[i].name;
  }
}

TEST_F(Lv2Ports, ValuesOutsideTheRangeAreClampedAndSteppedRowsRound) {
  controls_[param::kFilterCutoff] = 1e9f;
  controls_[param::kCoarseTune] = -1000.0f;
  controls_[param::envSelect(3)] = 1.6f;
  controls_[param::kModulationVoices] = 0.0f;
  controls_[param::lfoMultiplier(2)] = 2.4f;
  controls_[param::kVolume] = std::numeric_limits<float>::infinity();
  run();
  EXPECT_EQ(plugin_.value(param::kFilterCutoff), 12000.0f);
  EXPECT_EQ(plugin_.value(param::kCoarseTune), -24.0f);
  EXPECT_EQ(plugin_.value(param::envSelect(3)), 2.0f);
  EXPECT_EQ(plugin_.value(param::kModulationVoices), 1.0f);
  EXPECT_EQ(plugin_.value(param::lfoMultiplier(2)), 2.0f);
  EXPECT_EQ(plugin_.value(param::kVolume), 1.0f);
}

TEST_F(Lv2Ports, NanKeepsThePreviousValueAndInertRowsKeepTheirDefaults) {
  controls_[param::kSustain] = 0.25f;
  run();
  controls_[param::kSustain] = std::nanf("");
  controls_[39] = 0.5f;  // "Unused"
  controls_[17] = 0.5f;  // reserved "u"
  controls_[133] = 1e9f;
  run();
  EXPECT_EQ(plugin_.value(param::kSustain), 0.25f);
  EXPECT_EQ(plugin_.value(39), 0.0f);
  EXPECT_EQ(plugin_.value(17), 0.0f);
  EXPECT_EQ(plugin_.value(133), 0.0f);
  for (float x : left_) EXPECT_TRUE(std::isfinite(x));
}

}  // namespace
