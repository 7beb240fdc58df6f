// The LV2 UI's parameter port: host values reach the UI-side copy and the editor, the
// editor's writes go out through the host's write_function, and the texts the editor
// shows are the VST module's texts for the same values.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "lv2/lv2_plugin.h"
#include "lv2/lv2_ui_port.h"
#include "params/parameter_ids.h"
#include "params/parameter_model.h"
#include "params/parameter_table.h"
#include "plugin/tarn_additive_synth.h"
#include "plugin/vst/aeffect.h"

namespace {

namespace param = gw::param;

struct Write {
  std::uint32_t port, size, format;
  float value;
};

struct Recorder : gw::EditorLink {
  void parameterChanged(int index, float value) override { changes.push_back({index, value}); }
  void programChanged() override {}
  bool grabFrame(gw::FrameGrab&) override { return false; }
  std::vector<std::pair<int, float>> changes;
  std::vector<Write> writes;
};

void recordWrite(LV2UI_Controller controller, std::uint32_t port, std::uint32_t size,
                 std::uint32_t format, const void* buffer) {
  static_cast<Recorder*>(controller)
      ->writes.push_back({port, size, format, *static_cast<const float*>(buffer)});
}

class Lv2UiPortTest : public testing::Test {
 protected:
  Lv2UiPortTest() : port_(recordWrite, &recorder_) { port_.setLink(&recorder_); }
  Recorder recorder_;
  gw::lv2::Lv2UiPort port_;
};

TEST_F(Lv2UiPortTest, HostValuesReachTheCopyAndTheEditorOnlyWhenTheyChange) {
  EXPECT_EQ(port_.currentValue(param::kSustain), gw::kParameterTable[param::kSustain].defaultValue);
  port_.hostValue(param::kSustain, 0.25f);
  port_.hostValue(param::kSustain, 0.25f);  // hosts repeat values they already sent
  port_.hostValue(param::kSustain, std::nanf(""));
  port_.hostValue(gw::lv2::kMidiInPort, 1.0f);
  port_.hostValue(100000, 1.0f);
  EXPECT_EQ(port_.currentValue(param::kSustain), 0.25f);
  ASSERT_EQ(recorder_.changes.size(), 1u);
  EXPECT_EQ(recorder_.changes[0], std::make_pair(param::kSustain, 0.25f));
  EXPECT_TRUE(recorder_.writes.empty()) << "a host's value is never written back";

  port_.hostValue(gw::lv2::kActivityPort, 2.5f);
  EXPECT_EQ(port_.activity().activity, 2.5f);
  EXPECT_EQ(recorder_.changes.size(), 1u);
}

TEST_F(Lv2UiPortTest, EditorWritesGoThroughTheHostAsFloatsOfThePortsOwnUnit) {
  port_.setParameterFromEditor(param::kFilterCutoff, 2000.0f);
  ASSERT_EQ(recorder_.writes.size(), 1u);
  EXPECT_EQ(recorder_.writes[0].port, static_cast<std::uint32_t>(param::kFilterCutoff));
  EXPECT_EQ(recorder_.writes[0].size, sizeof(float));
  EXPECT_EQ(recorder_.writes[0].format, 0u);
  EXPECT_EQ(recorder_.writes[0].value, 2000.0f);
  // The host need not echo it: the copy and the editor have it already.
  EXPECT_EQ(port_.currentValue(param::kFilterCutoff), 2000.0f);
  EXPECT_EQ(recorder_.changes.back(), std::make_pair(param::kFilterCutoff, 2000.0f));

  for (int refused : {-1, param::kCount, 39, 17}) port_.setParameterFromEditor(refused, 0.5f);
  port_.setParameterFromEditor(param::kVolume, std::nanf(""));
  EXPECT_EQ(recorder_.writes.size(), 1u);
}

vst::IntPtr VSTCALLBACK quietHost(vst::AEffect*, std::int32_t opcode, std::int32_t, vst::IntPtr,
                                  void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

// Every row at its minimum, default and maximum, and a few values with their own words.
TEST_F(Lv2UiPortTest, TextsAndLabelsAreTheVstModulesForTheSameValues) {
  TarnAdditiveSynth synth(quietHost);
  ASSERT_TRUE(synth.constructed());
  for (int i = 0; i < param::kCount; ++i) {
    const gw::ParameterInfo& row = gw::kParameterTable[i];
    for (float v : {row.minimum, row.defaultValue, row.maximum, (row.minimum + row.maximum) / 2}) {
      if (gw::isStepped(i)) v = std::floor(v);
      synth.currentProgram()->setValue(i, v);
      port_.hostValue(static_cast<std::uint32_t>(i), v);
      char vst[64] = {}, lv2[64] = {};
      synth.getParameterDisplay(i, vst);
      port_.parameterDisplay(i, lv2);
      EXPECT_STREQ(lv2, vst) << row.name << " at " << v;
    }
    char vstLabel[64] = {}, lv2Label[64] = {};
    synth.getParameterLabel(i, vstLabel);
    port_.parameterLabel(i, lv2Label);
    EXPECT_STREQ(lv2Label, vstLabel) << row.name;
  }
}

}  // namespace
