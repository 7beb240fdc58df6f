#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "params/parameter_model.h"
#include "params/parameter_text.h"

namespace gw {
namespace {

std::string formatted(float v) {
  char text[24];
  formatValue(v, text, sizeof text);
  return text;
}

std::string sdkText(float v, int maxLen = 8) {
  char text[32];
  float2string(v, text, maxLen);
  return text;
}

TEST(Conversions, HertzRowsAreExponential) {
  EXPECT_FLOAT_EQ(toInternal(param::kFilterCutoff, 0.0f), 50.0f);
  EXPECT_FLOAT_EQ(toInternal(param::kFilterCutoff, 1.0f), 12000.0f);
  // The middle of the knob is the geometric middle of the range.
  EXPECT_NEAR(toInternal(param::kFilterCutoff, 0.5f), std::sqrt(50.0 * 12000.0), 0.05);
  EXPECT_NEAR(toNormalised(param::kFilterCutoff, 1000.0f), std::log(20.0) / std::log(240.0), 1e-6);
}

TEST(Conversions, IndexedRowsRoundToWholeValuesHalvesUp) {
  EXPECT_EQ(toInternal(param::envSelect(1), 0.5f), 2.0f);  // floor(1.5 + 0.5)
  EXPECT_EQ(toInternal(param::envSelect(1), 0.16f), 0.0f);
  EXPECT_EQ(toInternal(param::envSelect(1), 1.0f / 6.0f), 1.0f);
  EXPECT_NEAR(toNormalised(param::envSelect(1), 2.0f), 0.6667f, 1e-4);
  EXPECT_EQ(toInternal(param::lfoMultiplier(1), 1.0f), 2.0f);
  EXPECT_EQ(toInternal(param::kModulationVoices, 0.0f), 1.0f);
}

TEST(Conversions, LinearRowsAndSinglePointRows) {
  EXPECT_FLOAT_EQ(toInternal(param::kFineTune, 0.25f), -50.0f);
  EXPECT_FLOAT_EQ(toNormalised(param::kCoarseTune, 12.0f), 0.75f);
  // Reserved rows span a single point: always 0, whatever is stored.
  EXPECT_EQ(toNormalised(17, 0.8f), 0.0f);
  EXPECT_EQ(toInternal(17, 0.8f), 0.0f);
}

TEST(Conversions, BadIndicesGiveZero) {
  EXPECT_EQ(toInternal(-1, 0.5f), 0.0f);
  EXPECT_EQ(toInternal(180, 0.5f), 0.0f);
  EXPECT_EQ(toNormalised(1000, 3.0f), 0.0f);
}

TEST(Texts, UnitLabels) {
  EXPECT_STREQ(unitLabel(ParameterUnit::Hertz), "Hz");
  EXPECT_STREQ(unitLabel(ParameterUnit::Seconds), "seconds");
  EXPECT_STREQ(unitLabel(ParameterUnit::Percent), "%");
  EXPECT_STREQ(unitLabel(ParameterUnit::Milliseconds), "ms");
  EXPECT_STREQ(unitLabel(ParameterUnit::Cents), "cents");
  EXPECT_STREQ(unitLabel(ParameterUnit::Decibels), "dB");
  EXPECT_STREQ(unitLabel(ParameterUnit::LinearGain), "");
  EXPECT_STREQ(unitLabel(static_cast<ParameterUnit>(99)), "");
}

TEST(Texts, FormatValueDecimalsFollowMagnitude) {
  EXPECT_EQ(formatted(4.5f), "4.500");
  EXPECT_EQ(formatted(-12.5f), "-12.500");  // negatives keep three decimals
  EXPECT_EQ(formatted(50.0f), "50.00");
  EXPECT_EQ(formatted(215.0f), "215.0");
  EXPECT_EQ(formatted(1000.0f), "1000");
  EXPECT_EQ(formatted(12000.0f), "12000");
  char small[4];
  formatValue(1000.0f, small, sizeof small);
  EXPECT_STREQ(small, "100");  // cut to the buffer, never past it
}

TEST(Texts, SdkNumberTextFillsEightCharacters) {
  EXPECT_EQ(sdkText(2.0f), "2.000000");
  EXPECT_EQ(sdkText(0.5f), "0.500000");
  EXPECT_EQ(sdkText(-3.0f), "-3.00000");
  EXPECT_EQ(sdkText(1234.5f), "1234.500");
  EXPECT_EQ(sdkText(1234567.0f), "1234567.");
  EXPECT_EQ(sdkText(-123456.0f), "-123456.");
  EXPECT_EQ(sdkText(12345678.0f), "Huge!");  // too wide: a word, not a truncated number
  EXPECT_EQ(sdkText(-1234567.0f), "Huge!");
  EXPECT_EQ(sdkText(1e9f), "Huge!");
  EXPECT_EQ(sdkText(-1e8f), "Huge!");
  EXPECT_EQ(sdkText(2.0f, 4), "2.00");
}

TEST(Texts, CopyTextAlwaysTerminates) {
  char text[16];
  copyText(text, "Velocity Filter Env Amount", 15);
  EXPECT_STREQ(text, "Velocity Filter");
  copyText(text, nullptr, 15);
  EXPECT_STREQ(text, "");
}

// The two ways a value comes in agree: a host's normalised value and the value it stands
// for in the row's own unit store the same, and both refuse the same inputs.
TEST(Intake, NormalisedAndOwnUnitValuesStoreAlikeAndRefuseAlike) {
  for (int i = 0; i < param::kCount; ++i) {
    for (float x : {-0.5f, 0.0f, 0.2f, 0.5f, 0.75f, 1.0f, 3.0f}) {
      const std::optional<float> normalised = acceptNormalised(i, x);
      const std::optional<float> own = acceptValue(i, toInternal(i, std::clamp(x, 0.0f, 1.0f)));
      ASSERT_EQ(normalised.has_value(), !param::isUnused(i)) << i;
      ASSERT_EQ(own.has_value(), normalised.has_value()) << i;
      if (!normalised) continue;
      const ParameterInfo& row = kParameterTable[i];
      EXPECT_GE(*normalised, row.minimum) << row.name;
      EXPECT_LE(*normalised, row.maximum * 1.000001f) << row.name;  // hertz rows round
      EXPECT_NEAR(*own, *normalised, 1e-6f * std::max(1.0f, std::fabs(row.maximum))) << row.name;
      if (isStepped(i)) {
        EXPECT_EQ(*normalised, std::floor(*normalised)) << row.name;
      }
    }
    EXPECT_FALSE(acceptNormalised(i, std::nanf("")));
    EXPECT_FALSE(acceptValue(i, std::nanf("")));
  }
  EXPECT_FALSE(acceptValue(-1, 0.0f));
  EXPECT_FALSE(acceptNormalised(param::kCount, 0.0f));
  EXPECT_EQ(acceptValue(param::kFilterCutoff, 1e9f), 12000.0f);
  EXPECT_EQ(acceptValue(param::envSelect(3), 1.6f), 2.0f);
  EXPECT_EQ(acceptValue(param::kModulationVoices, 2.5f), 3.0f);  // halves round up
}

std::string shown(int index, float value, std::size_t bytes = 64) {
  char text[64];
  displayText(index, value, text, bytes);
  return text;
}

TEST(Texts, DisplayTextsFitWhateverBufferTheCallerHas) {
  EXPECT_EQ(shown(param::envSelect(1), 0.0f), "None");
  EXPECT_EQ(shown(param::kModulationVoices, 3.0f), "3.000000");
  EXPECT_EQ(shown(param::kModulationVoices, 3.0f, 5), "3.00");
  EXPECT_EQ(shown(param::envSelect(1), 0.0f, 4), "");  // a name that does not fit is left out
  EXPECT_EQ(shown(param::envSelect(1), 7.0f), "7.000000");
  EXPECT_EQ(shown(39, 1.0f), "Unused");
  EXPECT_EQ(shown(param::kModulationOnOff, 0.5f), "On");
  EXPECT_EQ(shown(param::kFilterType, 2.0f), "Band");
  EXPECT_EQ(shown(param::kFilterCutoff, 1000.0f, 3), "10");
  EXPECT_EQ(shown(-1, 0.0f), "");
  displayText(param::kVolume, 1.0f, nullptr, 64);  // no buffer: nothing written
}

}  // namespace
}  // namespace gw
