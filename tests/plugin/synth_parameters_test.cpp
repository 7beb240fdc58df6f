// Parameter texts and values as a host sees them through the effect record.
#include <cmath>

#include "tests/plugin/synth_fixture.h"

namespace gw::test {
namespace {

using P = TarnAuBase;

TEST_F(SynthTest, DefaultDisplaysAndLabels) {
  EXPECT_EQ(display(param::kFilterCutoff), "1000");
  EXPECT_EQ(label(param::kFilterCutoff), "Hz");
  EXPECT_EQ(display(param::kModulationWetDry), "50.00");
  EXPECT_EQ(label(param::kModulationWetDry), "%");
  EXPECT_EQ(display(param::kModulationVoices), "2.000000");  // indexed, but without names
  EXPECT_EQ(display(param::envSelect(1)), "None");
  EXPECT_EQ(display(param::lfoMultiplier(1)), "1");
  EXPECT_EQ(display(param::kFilterType), "Thru");
  EXPECT_EQ(display(param::kModulationOnOff), "Off");
  EXPECT_EQ(label(param::kModulationDelay), "ms");
  EXPECT_EQ(text(vst::effGetParamName, param::kVelocityFilterEnvAmount), "Velocity Filter");
  EXPECT_EQ(text(vst::effGetParamName, 17), "u");
}

TEST_F(SynthTest, HostValuesConvertAndDisplay) {
  set(param::kFilterCutoff, 0.0f);
  EXPECT_FLOAT_EQ(synth_->currentValue(param::kFilterCutoff), 50.0f);
  set(param::kFilterCutoff, 1.0f);
  EXPECT_FLOAT_EQ(synth_->currentValue(param::kFilterCutoff), 12000.0f);
  set(param::kFilterCutoff, 0.5f);
  EXPECT_NEAR(synth_->currentValue(param::kFilterCutoff), 774.6f, 0.05f);

  set(param::envSelect(1), 0.5f);
  EXPECT_EQ(synth_->currentValue(param::envSelect(1)), 2.0f);
  EXPECT_NEAR(get(param::envSelect(1)), 0.6667f, 1e-4f);
  EXPECT_EQ(display(param::envSelect(1)), "2");

  set(param::lfoMultiplier(2), 1.0f);
  EXPECT_EQ(display(param::lfoMultiplier(2)), "100");

  set(param::kModulationOnOff, 0.01f);
  EXPECT_EQ(display(param::kModulationOnOff), "On");
}

TEST_F(SynthTest, EditorValuesDisplay) {
  const struct {
    int index;
    float value;
    const char* text;
  } cases[] = {
      {param::kFilterType, 2.0f, "Band"},
      {param::kFilterType, 4.0f, "Thru"},
      {param::kFilterType, 1.2f, "1.200"},
      {param::envTimeR2(1), 5.0f, "Inf"},
      {param::envTimeR2(1), 4.5f, "4.500"},
      {param::kPwEnvRelease, 5.0f, "Inf"},
      {param::kFilterEnvRelease, 5.0f, "Inf"},
      {param::kFineTune, -12.5f, "-12.500"},
      {param::kModulationOnOff, -1.0f, "On"},
      {param::kModulationDelay, 215.0f, "215.0"},
      // Indexed values outside the names show as numbers instead of reading past the list.
      {param::envSelect(2), 7.0f, "7.000000"},
      {param::envSelect(2), -1.0f, "-1.00000"},
      {param::envSelect(2), NAN, "NaN"},
  };
  for (const auto& c : cases) {
    synth_->program(0)->setValue(c.index, c.value);
    EXPECT_EQ(display(c.index), c.text) << c.index << " at " << c.value;
  }
  EXPECT_EQ(label(param::envTimeR2(1)), "seconds");
}

TEST_F(SynthTest, UnusedRowsRefuseValuesAndShowUnused) {
  EditorSpy spy;
  synth_->setEditorLink(&spy);
  synth_->program(0)->setValue(39, 0.25f);
  for (int index : {39, 133, 136, 148, 151}) {
    set(index, 1.0f);
    EXPECT_EQ(display(index), "Unused");
  }
  EXPECT_EQ(synth_->currentValue(39), 0.25f);
  EXPECT_TRUE(spy.changes.empty());
  synth_->setEditorLink(nullptr);
}

TEST_F(SynthTest, ReservedRowsReadAsZero) {
  synth_->program(0)->setValue(20, 0.8f);
  synth_->program(0)->setValue(105, -3.0f);
  EXPECT_EQ(get(20), 0.0f);
  EXPECT_EQ(get(105), 0.0f);
}

TEST_F(SynthTest, IndicesOutsideTheTableAreRejected) {
  for (int index : {-1, 180, 1 << 30}) {
    set(index, 0.5f);
    EXPECT_EQ(get(index), 0.0f);
    EXPECT_EQ(display(index), "");
    EXPECT_EQ(label(index), "");
    EXPECT_EQ(text(vst::effGetParamName, index), "");
  }
  synth_->setParameterFromEditor(180, 1.0f);
  EXPECT_TRUE(hostCalls().empty() || hostCalls().back().opcode != vst::audioMasterAutomate);
}

TEST_F(SynthTest, HostValuesAreClampedAndNaNIgnored) {
  set(param::kFilterCutoff, 2.0f);
  EXPECT_FLOAT_EQ(synth_->currentValue(param::kFilterCutoff), 12000.0f);
  set(param::kFilterCutoff, -1.0f);
  EXPECT_FLOAT_EQ(synth_->currentValue(param::kFilterCutoff), 50.0f);
  set(param::kFilterCutoff, NAN);
  EXPECT_FLOAT_EQ(synth_->currentValue(param::kFilterCutoff), 50.0f);
  set(param::envSelect(1), INFINITY);
  EXPECT_EQ(synth_->currentValue(param::envSelect(1)), 3.0f);
}

TEST_F(SynthTest, EditorPathStoresNotifiesAndAutomates) {
  EditorSpy spy;
  synth_->setEditorLink(&spy);
  set(param::kFineTune, 0.75f);
  ASSERT_EQ(spy.changes.size(), 1u);
  EXPECT_EQ(spy.changes[0], std::make_pair(param::kFineTune, 50.0f));

  hostCalls().clear();
  synth_->setParameterFromEditor(param::kFilterCutoff, 12000.0f);
  EXPECT_EQ(synth_->currentValue(param::kFilterCutoff), 12000.0f);
  ASSERT_EQ(spy.changes.size(), 2u);
  EXPECT_EQ(spy.changes[1], std::make_pair(param::kFilterCutoff, 12000.0f));
  ASSERT_EQ(hostCalls().size(), 1u);
  EXPECT_EQ(hostCalls()[0].opcode, vst::audioMasterAutomate);
  EXPECT_EQ(hostCalls()[0].index, param::kFilterCutoff);
  EXPECT_FLOAT_EQ(hostCalls()[0].opt, 1.0f);
  synth_->setEditorLink(nullptr);
}

TEST_F(SynthTest, AudioUnitStyleQueries) {
  EXPECT_EQ(synth_->GetParameterInfo(0, param::envSelect(1), nullptr), P::kNoErr);
  CFArray* names = nullptr;
  EXPECT_EQ(synth_->GetParameterInfo(1, param::envSelect(1), &names), P::kInvalidParameter);
  EXPECT_EQ(synth_->GetParameterInfo(0, param::kFilterCutoff, &names), P::kInvalidParameter);
  EXPECT_EQ(synth_->GetParameterInfo(0, param::kModulationVoices, &names), P::kInvalidParameter);
  ASSERT_EQ(synth_->GetParameterInfo(0, param::lfoMultiplier(4), &names), P::kNoErr);
  ASSERT_NE(names, nullptr);
  EXPECT_EQ(names->count(), 3u);
  CFRelease(names);

  std::uint32_t size = 0;
  bool writable = true;
  EXPECT_EQ(synth_->GetPropertyInfo(P::kActivityProperty, 0, 0, &size, &writable), P::kNoErr);
  EXPECT_EQ(size, 16u);
  EXPECT_FALSE(writable);
  EXPECT_EQ(synth_->GetPropertyInfo(P::kParameterStringFromValue, 0, 0, &size, &writable),
            P::kNoErr);
  EXPECT_EQ(size, sizeof(P::ParameterStringFromValue));
  EXPECT_EQ(synth_->GetPropertyInfo(7, 0, 0, &size, &writable), P::kInvalidProperty);

  const float five = 5.0f;
  P::ParameterStringFromValue request{param::envTimeR2(3), &five, nullptr};
  ASSERT_EQ(synth_->GetProperty(P::kParameterStringFromValue, 0, 0, &request), P::kNoErr);
  ASSERT_NE(request.outString, nullptr);
  EXPECT_EQ(request.outString->text(), "Inf");
  CFRelease(request.outString);
  request = {param::kFilterCutoff, &five, nullptr};
  EXPECT_EQ(synth_->GetProperty(P::kParameterStringFromValue, 0, 0, &request),
            P::kInvalidParameter);
  request = {-4, nullptr, nullptr};
  EXPECT_EQ(synth_->GetProperty(P::kParameterStringFromValue, 0, 0, &request),
            P::kInvalidParameter);
  gw::ActivityRecord activity{1, 2, 3.0f, 4};
  EXPECT_EQ(synth_->GetProperty(P::kActivityProperty, 0, 0, &activity), P::kNoErr);
  EXPECT_EQ(activity.activity, 0.0f);
  EXPECT_EQ(synth_->GetProperty(12, 0, 0, &activity), P::kInvalidProperty);
  EXPECT_EQ(synth_->SetProperty(P::kActivityProperty, 0, 0, &activity, 16), P::kInvalidProperty);
}

}  // namespace
}  // namespace gw::test
